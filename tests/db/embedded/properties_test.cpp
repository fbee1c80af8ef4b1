// Metadata functions and the remaining catalogue views: OBJECTPROPERTY, INDEXPROPERTY,
// systypes/sysusers rows, syscolumns status bits, INFORMATION_SCHEMA and sys views.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "embedded_fixture.h"

namespace korvane::testing {
namespace {

using ::testing::ElementsAre;

constexpr const char* kScript = R"SQL(
CREATE TABLE T (
  id int IDENTITY(1,1) NOT NULL CONSTRAINT PK_T PRIMARY KEY NONCLUSTERED,
  code varchar(10) NOT NULL CONSTRAINT UQ_T_code UNIQUE CLUSTERED,
  body text NULL,
  stamp timestamp,
  amount numeric(12, 3) NULL
)
GO
CREATE VIEW V AS SELECT id, code FROM T
GO
)SQL";

class PropertiesTest : public EmbeddedServerTest {
 protected:
  void SetUp() override {
    MakeServer("9.00.5000.00");
    Load("Db", kScript);
  }
  std::vector<std::string> Q(const std::string& sql) { return QueryRows("Db", sql); }
};

TEST_F(PropertiesTest, ObjectPropertyAnswersForTablesConstraintsAndUnknowns) {
  EXPECT_THAT(Q("SELECT OBJECTPROPERTY(object_id('T'), 'TableHasIdentity'), "
                "OBJECTPROPERTY(object_id('T'), 'TableHasClustIndex'), "
                "OBJECTPROPERTY(object_id('T'), 'TableHasTextImage'), "
                "OBJECTPROPERTY(object_id('T'), 'TableHasTimestamp'), "
                "OBJECTPROPERTY(object_id('T'), 'TableHasUniqueCnst'), "
                "OBJECTPROPERTY(object_id('T'), 'IsMSShipped')"),
              ElementsAre("1|1|1|1|1|0"));
  EXPECT_THAT(Q("SELECT OBJECTPROPERTY(object_id('PK_T'), 'CnstIsNonclustKey'), "
                "OBJECTPROPERTY(object_id('UQ_T_code'), 'CnstIsClustKey'), "
                "OBJECTPROPERTY(object_id('PK_T'), 'CnstIsColumn'), "
                "OBJECTPROPERTY(object_id('PK_T'), 'OwnerId'), "
                "OBJECTPROPERTY(object_id('V'), 'IsView')"),
              ElementsAre("1|1|1|1|1"));
  EXPECT_THAT(Q("SELECT OBJECTPROPERTY(object_id('T'), 'NoSuchProperty'), "
                "OBJECTPROPERTY(-5, 'IsUserTable'), OBJECTPROPERTY(NULL, 'IsUserTable'), "
                "object_id('NoSuchObject'), object_id('#temp')"),
              ElementsAre("Null|Null|Null|Null|Null"));
  EXPECT_THAT(Q("SELECT OBJECTPROPERTY(id, 'IsMSShipped'), OBJECTPROPERTY(id, 'IsSystemTable') "
                "FROM sysobjects WHERE id = 4"),
              ElementsAre("1|1"));
}

TEST_F(PropertiesTest, IndexPropertyReadsSysindexesStatusBits) {
  EXPECT_THAT(Q("SELECT name, indid, INDEXPROPERTY(id, name, 'IsClustered'), "
                "INDEXPROPERTY(id, name, 'IsUnique'), INDEXPROPERTY(id, name, 'IndexID') "
                "FROM sysindexes WHERE id = object_id('T') ORDER BY indid"),
              ElementsAre("UQ_T_code|1|1|1|1", "PK_T|2|0|1|2"));
  EXPECT_THAT(Q("SELECT status FROM sysindexes WHERE id = object_id('T') ORDER BY indid"),
              ElementsAre("4114", "2050"));
  EXPECT_THAT(Q("SELECT INDEXPROPERTY(object_id('T'), 'nope', 'IsClustered'), "
                "INDEXPROPERTY(object_id('T'), 'PK_T', 'Nonsense')"),
              ElementsAre("Null|Null"));
}

TEST_F(PropertiesTest, SyscolumnsCarryStatusBitsOffsetsAndCollations) {
  EXPECT_THAT(Q("SELECT name, status, colstat, isnullable, collation, xprec, xscale "
                "FROM syscolumns WHERE id = object_id('T') ORDER BY colid"),
              ElementsAre("id|128|1|0|Null|10|0", "code|16|0|0|SQL_Latin1_General_CP1_CI_AS|0|0",
                          "body|8|0|1|SQL_Latin1_General_CP1_CI_AS|0|0", "stamp|0|0|0|Null|0|0",
                          "amount|8|0|1|Null|12|3"));
}

TEST_F(PropertiesTest, SystypesAndSysusersHoldTheBuiltInRows) {
  EXPECT_THAT(Q("SELECT COUNT(*) FROM systypes"), ElementsAre("27"));
  EXPECT_THAT(Q("SELECT name, xtype, xusertype, length, allownulls FROM systypes WHERE name IN "
                "('sysname', 'nvarchar', 'xml') ORDER BY xusertype"),
              ElementsAre("nvarchar|231|231|8000|True", "xml|241|241|-1|True",
                          "sysname|231|256|256|False"));
  EXPECT_THAT(Q("SELECT uid, name FROM sysusers WHERE uid < 5 ORDER BY uid"),
              ElementsAre("0|public", "1|dbo", "2|guest", "3|INFORMATION_SCHEMA", "4|sys"));
  EXPECT_THAT(Q("SELECT USER_NAME(1), USER_NAME(16384), USER_NAME(999), USER_ID('guest')"),
              ElementsAre("dbo|db_owner|Null|2"));
}

TEST_F(PropertiesTest, InformationSchemaColumnsDescribesEachColumn) {
  EXPECT_THAT(Q("SELECT COLUMN_NAME, ORDINAL_POSITION, IS_NULLABLE, DATA_TYPE, "
                "CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, NUMERIC_SCALE "
                "FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_NAME = 't' ORDER BY ORDINAL_POSITION"),
              ElementsAre("id|1|NO|int|Null|10|0", "code|2|NO|varchar|10|Null|Null",
                          "body|3|YES|text|2147483647|Null|Null",
                          "stamp|4|NO|timestamp|Null|Null|Null", "amount|5|YES|numeric|Null|12|3"));
  EXPECT_THAT(Q("SELECT TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE FROM "
                "INFORMATION_SCHEMA.TABLES ORDER BY TABLE_NAME"),
              ElementsAre("Db|dbo|T|BASE TABLE", "Db|dbo|V|VIEW"));
  EXPECT_THAT(Q("SELECT VIEW_DEFINITION, CHECK_OPTION, IS_UPDATABLE FROM INFORMATION_SCHEMA.VIEWS"),
              ElementsAre("CREATE VIEW V AS SELECT id, code FROM T\n|NONE|NO"));
}

TEST_F(PropertiesTest, SysViewsDescribeObjectsColumnsAndModules) {
  EXPECT_THAT(Q("SELECT name, type, type_desc, is_ms_shipped FROM sys.objects WHERE "
                "parent_object_id = 0 ORDER BY name"),
              ElementsAre("T|U |USER_TABLE|0", "V|V |VIEW|0"));
  EXPECT_THAT(Q("SELECT name, type_desc FROM sys.objects WHERE parent_object_id = "
                "object_id('T') ORDER BY name"),
              ElementsAre("PK_T|PRIMARY_KEY_CONSTRAINT", "UQ_T_code|UNIQUE_CONSTRAINT"));
  EXPECT_THAT(Q("SELECT name, column_id, max_length, is_identity FROM sys.columns WHERE "
                "object_id = object_id('T') AND column_id <= 2 ORDER BY column_id"),
              ElementsAre("id|1|4|1", "code|2|10|0"));
  EXPECT_THAT(Q("SELECT definition FROM sys.sql_modules WHERE object_id = object_id('V')"),
              ElementsAre("CREATE VIEW V AS SELECT id, code FROM T\n"));
  EXPECT_THAT(Q("SELECT name FROM sys.tables"), ElementsAre("T"));
}

}  // namespace
}  // namespace korvane::testing
