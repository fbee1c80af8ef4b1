// The wire format pieces: text encodings, PRELOGIN, LOGIN7, RPC parameters and value encoding,
// checked against packets that real clients sent and replies they accepted.
#include <gtest/gtest.h>

#include "db/tds/login7.h"
#include "db/tds/prelogin.h"
#include "db/tds/result_encoder.h"
#include "db/tds/rpc_request.h"
#include "db/tds/server_options.h"
#include "db/tds/tds_bytes.h"
#include "tds_harness.h"

namespace korvane::tds {
namespace {

using testing::CapturePayload;

std::string Hex(const Bytes& bytes) {
  return testing::HexText(bytes);
}

TEST(TdsTextTest, Utf16RoundTripsEveryPlane) {
  for (const std::string text : {"", "abc", "Grüße", "日本語", "a😀b", "O'Brien\r\n\t"}) {
    const Bytes wide = Utf8ToUcs2(text);
    EXPECT_EQ(Ucs2ToUtf8(wide), text);
    EXPECT_EQ(wide.size() / 2, Ucs2Length(text)) << text;
  }
  EXPECT_EQ(Hex(Utf8ToUcs2("a😀")), "61 00 3D D8 00 DE");
}

TEST(TdsTextTest, BrokenInputBecomesReplacementCharacters) {
  EXPECT_EQ(Ucs2ToUtf8(Bytes{0x00, 0xD8, 0x41, 0x00}),
            "\xEF\xBF\xBD"
            "A");                                       // lone surrogate
  EXPECT_EQ(Ucs2ToUtf8(Bytes{0x41, 0x00, 0x42}), "A");  // odd last byte
  EXPECT_EQ(Hex(Utf8ToUcs2("\xC3")), "FD FF");          // cut UTF-8
}

TEST(TdsTextTest, CodePage1252) {
  struct Case {
    std::string utf8;
    std::optional<std::string> narrow;
  };
  const Case cases[] = {
      {"abc", "abc"},
      {"Grüße",
       "Gr\xFC\xDF"
       "e"},
      {"€ 5 – „x“", "\x80 5 \x96 \x84x\x93"},
      {"日本", std::nullopt},
      {"\xFF", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.narrow) << c.utf8;
    if (c.narrow) {
      const std::string& n = *c.narrow;
      EXPECT_EQ(Cp1252ToUtf8(Bytes(n.begin(), n.end())), c.utf8);
    }
  }
}

TEST(TdsReaderTest, ReadingPastTheEndFailsWithoutReading) {
  const Bytes data = {1, 2, 3};
  ByteReader reader(data);
  EXPECT_EQ(reader.U16(), 0x0201);
  EXPECT_EQ(reader.U32(), 0u);
  EXPECT_FALSE(reader.ok());
  EXPECT_TRUE(reader.Take(1).empty());
  ByteReader huge(data);
  EXPECT_EQ(huge.Ucs2(0x7FFFFFFF), "");
  EXPECT_FALSE(huge.ok());
}

TEST(PreloginTest, ReadsTheEncryptionClientsAskFor) {
  const std::pair<const char*, Encryption> cases[] = {
      {"freetds-tsql74_01_prelogin.bin", Encryption::kOff},
      {"freetds-tsql71_01_prelogin.bin", Encryption::kOff},
      {"tedious_01_prelogin.bin", Encryption::kNotSupported},
  };
  for (const auto& [file, encryption] : cases) {
    const auto request = ParsePrelogin(CapturePayload(file));
    ASSERT_TRUE(request) << file;
    EXPECT_EQ(request->encryption, encryption) << file;
  }
}

TEST(PreloginTest, RefusesOptionsOutsideThePayload) {
  const Bytes cases[] = {
      {},                              // no end marker
      {0x01, 0x00, 0x06, 0x00, 0x01},  // no end marker after the entry
      {0x01, 0x00, 0x40, 0x00, 0x01, 0xFF},
      {0x01, 0x00, 0x06, 0xFF, 0xFF, 0xFF},
  };
  for (const Bytes& payload : cases)
    EXPECT_FALSE(ParsePrelogin(payload)) << Hex(payload);
}

TEST(PreloginTest, ReplyIsTheOneEveryClientAccepted) {
  EXPECT_EQ(Hex(BuildPreloginReply("16.0.4096", Encryption::kNotSupported)),
            Hex(CapturePayload("server_01_prelogin-reply_no-tls.bin")));
  EXPECT_EQ(Hex(BuildPreloginReply("9.00.5000.00", Encryption::kNotSupported)).substr(78, 17),
            "09 00 13 88 00 00");
}

TEST(Login7Test, ReadsWhatEachClientSent) {
  struct Case {
    const char* file;
    std::uint32_t version;
    std::string user;
    std::string app;
    std::string database;
  };
  const Case cases[] = {
      {"freetds-tsql74_02_login7.bin", kTds74, "sa", "TSQL", "testdb"},
      {"freetds-tsql71_02_login7.bin", kTds71, "sa", "TSQL", "testdb"},
      {"freetds-odbc_02_login7.bin", kTds74, "sa", "", "testdb"},
      {"tedious_02_login7_featureext.bin", kTds74, "sa", "Tedious", "testdb"},
  };
  for (const Case& c : cases) {
    const auto login = ParseLogin7(CapturePayload(c.file));
    ASSERT_TRUE(login) << c.file;
    EXPECT_EQ(login->tds_version, c.version) << c.file;
    EXPECT_EQ(login->packet_size, 4096u) << c.file;
    EXPECT_EQ(login->user_name, c.user) << c.file;
    EXPECT_TRUE(login->password == "S3cret!" || login->password == "x") << login->password;
    EXPECT_EQ(login->app_name, c.app) << c.file;
    EXPECT_EQ(login->database, c.database) << c.file;
  }
}

TEST(Login7Test, RefusesStringsOutsideTheMessage) {
  Bytes login = CapturePayload("freetds-tsql74_02_login7.bin");
  Bytes cut(login.begin(), login.begin() + 80);
  EXPECT_FALSE(ParseLogin7(cut));
  Bytes bad_offset = login;
  bad_offset[40] = 0xFF;  // ibUserName
  bad_offset[41] = 0x7F;
  EXPECT_FALSE(ParseLogin7(bad_offset));
  Bytes long_length = login;
  long_length[0] = 0xFF;  // Length beyond the payload
  long_length[1] = 0xFF;
  EXPECT_FALSE(ParseLogin7(long_length));
}

TEST(Login7Test, NegotiatesTheVersionTheServerSpeaks) {
  struct Case {
    std::uint32_t client;
    int server_major;
    std::uint32_t answer;
  };
  const Case cases[] = {
      {kTds74, 8, kTds71},  {kTds74, 9, kTds72},  {0x730A0003, 9, kTds72}, {kTds71, 9, kTds71},
      {kTds74, 10, kTds73}, {kTds74, 16, kTds74}, {0x70000000, 9, kTds71},  // older than 7.1:
                                                                            // answered as 7.1
  };
  for (const Case& c : cases)
    EXPECT_EQ(NegotiateTdsVersion(c.client, c.server_major), c.answer)
        << std::hex << c.client << " " << std::dec << c.server_major;
}

TEST(Login7Test, ClampsThePacketSize) {
  const std::pair<std::uint32_t, std::uint32_t> cases[] = {
      {0, 4096}, {4096, 4096}, {100, 512}, {512, 512}, {32767, 32767}, {2147483647, 32767}};
  for (const auto& [requested, granted] : cases)
    EXPECT_EQ(NegotiatePacketSize(requested, 4096), granted) << requested;
}

TEST(RpcRequestTest, ReadsFreeTdsExecuteSqlWithUnnamedParameters) {
  const Bytes payload = CapturePayload("freetds-odbc_07_rpc_sp_executesql_id10.bin");
  std::string error;
  const auto request = ParseRpc(std::span(payload).subspan(22), kTds74, &error);
  ASSERT_TRUE(request) << error;
  EXPECT_EQ(request->procedure_id, kProcExecuteSql);
  ASSERT_EQ(request->parameters.size(), 4u);
  EXPECT_EQ(request->parameters[0].value, Value::Text("select x from t where a = @P1 and b = @P2"));
  EXPECT_EQ(request->parameters[1].value, Value::Text("@P1 INT,@P2 VARCHAR(20)"));
  EXPECT_EQ(request->parameters[2].value, Value::Integer(42));
  EXPECT_EQ(request->parameters[3].value, Value::Text("hello"));
  EXPECT_EQ(request->parameters[3].sql_type, "varchar(20)");
}

TEST(RpcRequestTest, ReadsTediousParametersAcrossPackets) {
  const Bytes payload = CapturePayload("tedious_08_rpc_sp_executesql_11-params_plp_3-packets.bin");
  std::string error;
  const auto request = ParseRpc(std::span(payload).subspan(22), kTds74, &error);
  ASSERT_TRUE(request) << error;
  EXPECT_EQ(request->procedure_id, kProcExecuteSql);
  ASSERT_EQ(request->parameters.size(), 13u);
  std::vector<std::string> names;
  for (const auto& p : request->parameters)
    names.push_back(p.name + " " + p.sql_type);
  EXPECT_EQ(names[0].substr(0, 20), "@statement nvarchar(");
  // The long nvarchar(max) value came in chunks of unknown total length.
  const auto longest = std::max_element(
      request->parameters.begin(), request->parameters.end(), [](const auto& a, const auto& b) {
        return NullText(a.value).size() < NullText(b.value).size();
      });
  EXPECT_GT(NullText(longest->value).size(), 4000u);
}

TEST(RpcRequestTest, ReadsProcedureCallsByName) {
  const Bytes payload = CapturePayload("tedious_09_rpc_callProcedure_by-name.bin");
  std::string error;
  const auto request = ParseRpc(std::span(payload).subspan(22), kTds74, &error);
  ASSERT_TRUE(request) << error;
  EXPECT_EQ(request->procedure_id, 0);
  EXPECT_EQ(request->procedure_name, "myproc");
  ASSERT_EQ(request->parameters.size(), 3u);
  EXPECT_EQ(request->parameters[0].name, "@in1");
  EXPECT_FALSE(request->parameters[0].output);
  EXPECT_EQ(request->parameters[1].name, "@io2");
  EXPECT_TRUE(request->parameters[1].output);
  EXPECT_EQ(request->parameters[1].value, Value::Integer(10));
  EXPECT_EQ(request->parameters[2].value, Value::Text("x"));
}

TEST(RpcRequestTest, TruncatedRequestsAreRefused) {
  const Bytes payload = CapturePayload("freetds-odbc_07_rpc_sp_executesql_id10.bin");
  const std::span body = std::span(payload).subspan(22);
  for (std::size_t cut : {body.size() - 1, body.size() - 6, std::size_t{40}, std::size_t{7}}) {
    std::string error;
    EXPECT_FALSE(ParseRpc(body.first(cut), kTds74, &error)) << cut;
    EXPECT_FALSE(error.empty());
  }
}

TEST(RpcRequestTest, SystemProceduresByNameAndId) {
  EXPECT_EQ(SystemProcedureId("sp_execute"), kProcExecute);
  EXPECT_EQ(SystemProcedureId("SP_EXECUTESQL"), kProcExecuteSql);
  EXPECT_EQ(SystemProcedureId("sys.sp_prepexec"), kProcPrepExec);
  EXPECT_EQ(SystemProcedureId("myproc"), 0);
  EXPECT_EQ(SystemProcedureName(kProcUnprepare), "sp_unprepare");
}

TEST(SqlLiteralTest, WritesEveryKindOfValue) {
  DateTimeValue when{2024, 2, 29, 13, 45, 30, 123000000};
  const std::pair<Value, std::string> cases[] = {
      {Value::Null(), "NULL"},
      {Value::Boolean(true), "1"},
      {Value::Integer(-42), "-42"},
      {Value::Float(0.5), "0.5E0"},
      {Value::Float(1e20), "1E+20"},
      {Value::Decimal("-12.3400"), "-12.3400"},
      {Value::Text("O'Brien"), "N'O''Brien'"},
      {Value::Binary({0x0A, 0x1B}), "0x0A1B"},
      {Value::Binary({}), "0x"},
      {Value::Guid("6F9619FF-8B86-D011-B42D-00C04FC964FF"),
       "'6F9619FF-8B86-D011-B42D-00C04FC964FF'"},
      {Value::DateTime(when), "CAST('2024-02-29 13:45:30.123' AS datetime)"},
      {Value::DateTime({2024, 2, 29, 0, 0, 0, 0, true, false}), "'2024-02-29'"},
  };
  for (const auto& [value, literal] : cases)
    EXPECT_EQ(SqlLiteral(value), literal);
}

TEST(BindParametersTest, ReplacesOnlyTheParameters) {
  const std::vector<std::pair<std::string, Value>> values = {{"@P1", Value::Integer(42)},
                                                             {"@name", Value::Text("it's")}};
  struct Case {
    std::string sql;
    std::string bound;
  };
  const Case cases[] = {
      {"select x from t where a = @P1", "select x from t where a = 42"},
      {"select @NAME, '@P1', @@ROWCOUNT -- @P1", "select N'it''s', '@P1', @@ROWCOUNT -- @P1"},
      {"select 1", "select 1"},
  };
  for (const Case& c : cases) {
    std::string bound;
    std::string error;
    ASSERT_TRUE(BindParameters(c.sql, values, &bound, &error)) << error;
    EXPECT_EQ(bound, c.bound);
  }
  std::string bound;
  std::string error;
  EXPECT_FALSE(BindParameters("select @other", values, &bound, &error));
  EXPECT_EQ(error, "Must declare the scalar variable \"@other\".");
  EXPECT_FALSE(BindParameters("select 'open", values, &bound, &error));
}

TEST(BindParametersTest, ReadsDeclarationLists) {
  const auto declared =
      ParseParameterDeclarations("@P1 INT,@P2 VARCHAR(20), @d decimal(10, 2) OUTPUT,@x int out");
  ASSERT_EQ(declared.size(), 4u);
  EXPECT_EQ(declared[0].name, "@P1");
  EXPECT_EQ(declared[1].type, "VARCHAR(20)");
  EXPECT_EQ(declared[2].type, "decimal(10, 2)");
  EXPECT_TRUE(declared[2].output);
  EXPECT_TRUE(declared[3].output);
  EXPECT_FALSE(declared[0].output);
  EXPECT_TRUE(ParseParameterDeclarations("").empty());
}

TEST(TestHooksTest, ReadsTheHookList) {
  TestHooks hooks;
  ASSERT_TRUE(
      ParseTestHooks("drop-after-rows=5, stall-login-ms=2000,stall-query-ms=30000", &hooks));
  EXPECT_EQ(hooks.drop_after_rows, 5);
  EXPECT_EQ(hooks.stall_login_ms, 2000);
  EXPECT_EQ(hooks.stall_query_ms, 30000);
  for (const char* bad : {"drop-after-rows", "stall-login-ms=x", "explode=1"}) {
    TestHooks other;
    EXPECT_FALSE(ParseTestHooks(bad, &other)) << bad;
  }
}

// One value in a column of the given engine type, as the wire carries it.
std::string Encoded(const std::string& type_name, const Value& value,
                    std::uint32_t version = kTds74) {
  ResultSet result;
  result.columns.push_back(ColumnInfo{"c", value.type(), type_name});
  result.rows.push_back({value});
  const auto columns = PlanColumns(result, version);
  ByteWriter out;
  WriteTypeInfo(out, columns[0], version);
  out.U8(0x7C);  // separates the type from the value in the text compared
  WriteValue(out, columns[0], value);
  return Hex(out.bytes());
}

TEST(ResultEncoderTest, EncodesEachTypeAsClientsRead_It) {
  const DateTimeValue when{2024, 2, 29, 13, 45, 30, 123000000};
  struct Case {
    std::string type;
    Value value;
    std::string wire;
  };
  const Case cases[] = {
      {"int", Value::Integer(-2), "26 04 7C 04 FE FF FF FF"},
      {"int", Value::Integer(5000000000), "26 08 7C 08 00 F2 05 2A 01 00 00 00"},  // widened
      {"tinyint", Value::Integer(255), "26 01 7C 01 FF"},
      {"bit", Value::Boolean(true), "68 01 7C 01 01"},
      {"float", Value::Float(0.25), "6D 08 7C 08 00 00 00 00 00 00 D0 3F"},
      {"real", Value::Float(0.25), "6D 04 7C 04 00 00 80 3E"},
      {"money", Value::Decimal("12.5000"), "6E 08 7C 08 00 00 00 00 48 E8 01 00"},
      {"smallmoney", Value::Decimal("-1.0000"), "6E 04 7C 04 F0 D8 FF FF"},
      // Regression: the lowest values of both money types fell back to text.
      {"smallmoney", Value::Decimal("-214748.3648"), "6E 04 7C 04 00 00 00 80"},
      {"money", Value::Decimal("-922337203685477.5808"), "6E 08 7C 08 00 00 00 80 00 00 00 00"},
      {"smallmoney", Value::Decimal("214748.3648"),
       "E7 16 00 09 04 D0 00 34 7C 16 00 32 00 31 00 34 00 37 00 34 00 38 00 2E 00 33 00 36 00 34 "
       "00 38 00"},
      {"decimal", Value::Decimal("-12345678.91"),
       "6A 11 26 02 7C 11 00 D3 02 96 49 00 00 00 00 00 00 00 00 00 00 00 00"},
      {"datetime", Value::DateTime(when), "6F 08 7C 08 25 B1 00 00 1D BB E2 00"},
      {"uniqueidentifier", Value::Guid("01234567-89AB-CDEF-0123-456789ABCDEF"),
       "24 10 7C 10 67 45 23 01 AB 89 EF CD 01 23 45 67 89 AB CD EF"},
      {"varchar", Value::Text("Grüße"), "A7 05 00 09 04 D0 00 34 7C 05 00 47 72 FC DF 65"},
      {"varchar", Value::Text("日"), "E7 02 00 09 04 D0 00 34 7C 02 00 E5 65"},  // not in 1252
      {"nvarchar", Value::Null(), "E7 02 00 09 04 D0 00 34 7C FF FF"},
      {"varbinary", Value::Binary({0x0A, 0x1B}), "A5 02 00 7C 02 00 0A 1B"},
      {"int", Value::Text("x"), "E7 02 00 09 04 D0 00 34 7C 02 00 78 00"},  // not an integer
  };
  for (const Case& c : cases)
    EXPECT_EQ(Encoded(c.type, c.value), c.wire) << c.type << " " << NullText(c.value);
}

TEST(ResultEncoderTest, LongValuesUseTheTypesOfTheVersion) {
  const std::string long_text(5000, 'x');
  // (max) types carry partially length-prefixed values from 7.2 on, legacy types before.
  EXPECT_EQ(Encoded("nvarchar", Value::Text(long_text)).substr(0, 20), "E7 FF FF 09 04 D0 00");
  EXPECT_EQ(Encoded("nvarchar", Value::Text(long_text), kTds71).substr(0, 11), "63 FF FF FF");
  EXPECT_EQ(Encoded("image", Value::Binary({1})).substr(0, 14), "22 FF FF FF 7F");
}

TEST(ResultEncoderTest, DayNumbersFrom1900) {
  EXPECT_EQ(DaysSince1900(1900, 1, 1), 0);
  EXPECT_EQ(DaysSince1900(2024, 2, 29), 45349);
  EXPECT_EQ(DaysSince1900(1753, 1, 1), -53690);
  EXPECT_EQ(DaysSince1900(1, 1, 1), -693595);
}

}  // namespace
}  // namespace korvane::tds
