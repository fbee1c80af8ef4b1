// One client connection served end to end over a socket pair: the replies are compared with
// the ones real clients accepted, or read back token by token as a client reads them.
#include <gtest/gtest.h>

#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/tds/login7.h"
#include "db/tds/packet_channel.h"
#include "support/scratch_folder.h"
#include "tds_harness.h"

namespace korvane::tds {
namespace {

using testing::Capture;
using testing::CapturePayload;
using testing::HexText;
using testing::MakeBatch;
using testing::ReadTokens;
using testing::ServedConnection;

constexpr const char* kScript = R"(
CREATE TABLE t (x int NULL, a int NULL, b varchar(20) NULL)
GO
INSERT INTO t VALUES (1, 42, 'hello')
GO
CREATE TABLE Numbers (N int NOT NULL PRIMARY KEY, Label nvarchar(40) NULL)
GO
CREATE PROCEDURE myproc @in1 int, @io2 int OUTPUT, @s nvarchar(10) = N'' OUTPUT AS
  SELECT 42 AS r
  SET @io2 = @io2 + 1
  SET @s = N'out:' + @s
  RETURN 7
GO
CREATE PROCEDURE Spin AS
  SELECT count(*) FROM Numbers a, Numbers b, Numbers c, Numbers d
GO
)";

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(CreateEmbeddedServer(scratch_.path() / "servers", server(), "16.00.4096", &error))
        << error;
    for (const char* database : {"testdb", "other"}) {
      const auto result = LoadScript(scratch_.path() / "servers", server(), database, kScript);
      ASSERT_TRUE(result.ok) << result.message;
    }
    std::string rows = "INSERT INTO Numbers VALUES (1, N'row 1')";
    for (int n = 2; n <= 300; ++n)
      rows += "\nINSERT INTO Numbers VALUES (" + std::to_string(n) + ", N'row " +
              std::to_string(n) + "')";
    const auto result = LoadScript(scratch_.path() / "servers", server(), "testdb", rows);
    ASSERT_TRUE(result.ok) << result.message;
    options_.server = server();
    options_.server_label = "MOCK";
    options_.product_version = "16.00.4096";
    options_.login = "sa";
    options_.password = "x";
  }
  std::string server() const { return "embedded:" + (scratch_.path() / "srv").string(); }

  // A logged-in connection (TDS 7.4 unless given).
  std::unique_ptr<ServedConnection> LoggedIn(std::uint32_t version = kTds74,
                                             std::uint32_t packet_size = 4096) {
    auto connection = std::make_unique<ServedConnection>(backend_, options_);
    const auto reply = connection->Login("sa", "x", "testdb", version, packet_size);
    EXPECT_TRUE(reply.ended);
    EXPECT_EQ(ReadTokens(reply.payload, version).back(), "DONE 0x0000 0");
    return connection;
  }

  std::vector<std::string> Batch(ServedConnection& connection, const std::string& sql,
                                 std::uint32_t version = kTds74) {
    connection.Send(kPacketBatch, MakeBatch(sql, version != kTds71));
    const auto reply = connection.Receive();
    EXPECT_TRUE(reply.ended);
    return ReadTokens(reply.payload, version);
  }

  testing::ScratchFolder scratch_;
  EmbeddedBackend backend_{scratch_.path() / "servers"};
  ServerOptions options_;
};

TEST_F(ConnectionTest, PreloginReplyIsTheAcceptedOne) {
  for (const char* prelogin : {"freetds-tsql74_01_prelogin.bin", "tedious_01_prelogin.bin"}) {
    ServedConnection connection(backend_, options_);
    connection.SendRaw(Capture(prelogin));
    const auto reply = connection.Receive();
    EXPECT_EQ(reply.type, kPacketReply);
    EXPECT_EQ(HexText(reply.payload),
              HexText(CapturePayload("server_01_prelogin-reply_no-tls.bin")))
        << prelogin;
  }
}

TEST_F(ConnectionTest, LoginReplyIsByteForByteTheAcceptedOne) {
  options_.password = ParseLogin7(CapturePayload("freetds-tsql74_02_login7.bin"))->password;
  ServedConnection connection(backend_, options_);
  connection.SendRaw(Capture("freetds-tsql74_01_prelogin.bin"));
  connection.Receive();
  connection.SendRaw(Capture("freetds-tsql74_02_login7.bin"));
  const auto reply = connection.Receive();
  EXPECT_TRUE(reply.ended);
  EXPECT_EQ(HexText(reply.payload), HexText(CapturePayload("server_02_login-reply_ok_tds74.bin")));
}

TEST_F(ConnectionTest, FailedLoginIsByteForByteTheAcceptedOneAndCloses) {
  options_.password = "not the one sent";
  ServedConnection connection(backend_, options_);
  connection.SendRaw(Capture("freetds-tsql74_01_prelogin.bin"));
  connection.Receive();
  connection.SendRaw(Capture("freetds-tsql74_02_login7.bin"));
  const auto reply = connection.Receive();
  EXPECT_EQ(HexText(reply.payload), HexText(CapturePayload("server_login-failed_18456.bin")));
  EXPECT_TRUE(connection.ServerClosed());
}

TEST_F(ConnectionTest, LoginFailuresNameTheirReason) {
  struct Case {
    std::string user;
    std::string password;
    std::string database;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"SA",
       "x",
       "nowhere",
       {"ERROR 4060 Cannot open database \"nowhere\" requested by the login. The login failed.",
        "ERROR 18456 Login failed for user 'SA'.", "DONE 0x0002 0"}},
      {"bob", "x", "testdb", {"ERROR 18456 Login failed for user 'bob'.", "DONE 0x0002 0"}},
      {"sa", "X", "", {"ERROR 18456 Login failed for user 'sa'.", "DONE 0x0002 0"}},
  };
  for (const Case& c : cases) {
    ServedConnection connection(backend_, options_);
    const auto reply = connection.Login(c.user, c.password, c.database);
    EXPECT_EQ(ReadTokens(reply.payload, kTds74), c.tokens) << c.user << " " << c.database;
    EXPECT_TRUE(connection.ServerClosed());
  }
}

TEST_F(ConnectionTest, AnswersWithTheVersionTheServerSpeaks) {
  struct Case {
    std::string product_version;
    std::uint32_t client;
    std::string ack;
  };
  const Case cases[] = {
      {"8.00.2039", kTds74, "LOGINACK 71000001"},
      {"9.00.5000.00", kTds74, "LOGINACK 72090002"},
      {"9.00.5000.00", 0x730A0003, "LOGINACK 72090002"},
      {"16.00.4096", kTds74, "LOGINACK 74000004"},
  };
  for (const Case& c : cases) {
    options_.product_version = c.product_version;
    ServedConnection connection(backend_, options_);
    const auto reply = connection.Login("sa", "x", "testdb", c.client);
    const auto ack = (c.ack == "LOGINACK 71000001")   ? kTds71
                     : (c.ack == "LOGINACK 74000004") ? kTds74
                                                      : kTds72;
    const auto tokens = ReadTokens(reply.payload, ack);
    EXPECT_NE(std::find(tokens.begin(), tokens.end(), c.ack), tokens.end())
        << c.product_version << ": " << ::testing::PrintToString(tokens);
    EXPECT_EQ(tokens.back(), "DONE 0x0000 0");
  }
}

TEST_F(ConnectionTest, Tds71ClientsGetNarrowTokens) {
  ServedConnection connection(backend_, options_);
  connection.SendRaw(Capture("freetds-tsql71_01_prelogin.bin"));
  connection.Receive();
  connection.Send(kPacketLogin7, testing::MakeLogin7("sa", "x", "testdb", kTds71, 4096));
  const auto login = connection.Receive();
  EXPECT_EQ(ReadTokens(login.payload, kTds71).back(), "DONE 0x0000 0");
  const auto tokens = Batch(connection, "select x, b from t", kTds71);
  EXPECT_EQ(tokens, (std::vector<std::string>{"COLMETADATA x|b", "ROW 1|hello", "DONE 0x0010 1"}));
}

TEST_F(ConnectionTest, BatchesReturnEveryResultSetAndErrors) {
  auto connection = LoggedIn();
  struct Case {
    std::string sql;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"select x, b from t; select count(*) AS n from Numbers",
       {"COLMETADATA x|b", "ROW 1|hello", "DONE 0x0011 1", "COLMETADATA n", "ROW 300",
        "DONE 0x0010 1"}},
      {"update t set a = 43", {"DONE 0x0000 0"}},
      {"select * from Missing", {"ERROR 208 Invalid object name 'Missing'.", "DONE 0x0002 0"}},
      {"select x, NULL AS z from t", {"COLMETADATA x|z", "ROW 1|NULL", "DONE 0x0010 1"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Batch(*connection, c.sql), c.tokens) << c.sql;
}

TEST_F(ConnectionTest, TediousSessionSettingsGetAPlainDone) {
  // A result set here would break tedious's connection: it expects none.
  auto connection = LoggedIn();
  connection->SendRaw(Capture("tedious_03_sqlbatch_initial-sql.bin"));
  EXPECT_EQ(ReadTokens(connection->Receive().payload, kTds74),
            (std::vector<std::string>{"DONE 0x0000 0"}));
}

TEST_F(ConnectionTest, UseChangesTheDatabase) {
  auto connection = LoggedIn();
  EXPECT_EQ(Batch(*connection, "use other"),
            (std::vector<std::string>{"ENVCHANGE 1 other testdb",
                                      "INFO 5701 Changed database context to 'other'.",
                                      "DONE 0x0000 0"}));
  EXPECT_EQ(Batch(*connection, "select count(*) from Numbers"),
            (std::vector<std::string>{"COLMETADATA ", "ROW 0", "DONE 0x0010 1"}));
  EXPECT_EQ(Batch(*connection, "USE [testdb]; select count(*) from Numbers").back(),
            "DONE 0x0010 1");
  const auto refused = Batch(*connection, "use nowhere");
  EXPECT_EQ(refused.front(),
            "ERROR 911 Database 'nowhere' does not exist. Make sure that the name is entered "
            "correctly.");
  EXPECT_EQ(Batch(*connection, "select count(*) from Numbers")[1], "ROW 300");
}

TEST_F(ConnectionTest, SmallPacketsCarryTokensAcrossPackets) {
  auto connection = LoggedIn(kTds74, 512);
  // The request itself spans packets too.
  const std::string sql = "select N, Label from Numbers order by N -- " + std::string(900, '-');
  connection->Send(kPacketBatch, MakeBatch(sql), 512);
  const auto reply = connection->Receive();
  EXPECT_TRUE(reply.ended);
  EXPECT_LE(reply.largest_packet, 512u);
  EXPECT_GT(reply.packets, 10u);
  const auto tokens = ReadTokens(reply.payload, kTds74);
  ASSERT_EQ(tokens.size(), 302u);
  EXPECT_EQ(tokens[1], "ROW 1|row 1");
  EXPECT_EQ(tokens[300], "ROW 300|row 300");
  EXPECT_EQ(tokens[301], "DONE 0x0010 300");
}

TEST_F(ConnectionTest, ExecuteSqlRepliesAsRecorded) {
  auto connection = LoggedIn();
  connection->SendRaw(Capture("freetds-odbc_07_rpc_sp_executesql_id10.bin"));
  const auto reply = connection->Receive();
  EXPECT_EQ(HexText(reply.payload),
            HexText(CapturePayload("server_odbc_07_sp_executesql-reply.bin")));
}

TEST_F(ConnectionTest, PreparedStatementsRunByHandle) {
  auto connection = LoggedIn();
  connection->SendRaw(Capture("freetds-odbc_08_rpc_sp_prepexec_id13.bin"));
  const auto prepared = ReadTokens(connection->Receive().payload, kTds74);
  ASSERT_FALSE(prepared.empty());
  EXPECT_EQ(prepared.front(), "RETURNVALUE 0  1");
  EXPECT_EQ(prepared.back(), "DONEPROC 0x0000 0");
  connection->SendRaw(Capture("freetds-odbc_09_rpc_sp_execute_by-name.bin"));
  const auto executed = ReadTokens(connection->Receive().payload, kTds74);
  EXPECT_EQ(executed.back(), "DONEPROC 0x0000 0") << ::testing::PrintToString(executed);
  connection->SendRaw(Capture("freetds-odbc_11_rpc_sp_unprepare_id15.bin"));
  EXPECT_EQ(ReadTokens(connection->Receive().payload, kTds74),
            (std::vector<std::string>{"RETURNSTATUS 0", "DONEPROC 0x0000 0"}));
  // Executing the handle once more fails: it is gone.
  connection->SendRaw(Capture("freetds-odbc_09_rpc_sp_execute_by-name.bin"));
  EXPECT_EQ(ReadTokens(connection->Receive().payload, kTds74).front(),
            "ERROR 8179 Could not find prepared statement with handle 1.");
}

TEST_F(ConnectionTest, ProcedureCallsReturnStatusAndOutputs) {
  struct Case {
    const char* capture;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"freetds-odbc_10_rpc_myproc_call-escape.bin",
       {"COLMETADATA r", "ROW 42", "DONEINPROC 0x0011 1", "RETURNSTATUS 7", "RETURNVALUE 1 @io2 11",
        "DONEPROC 0x0000 0"}},
      {"tedious_09_rpc_callProcedure_by-name.bin",
       {"COLMETADATA r", "ROW 42", "DONEINPROC 0x0011 1", "RETURNSTATUS 7", "RETURNVALUE 1 @io2 11",
        "RETURNVALUE 2 @s out:x", "DONEPROC 0x0000 0"}},
  };
  for (const Case& c : cases) {
    auto connection = LoggedIn();
    connection->SendRaw(Capture(c.capture));
    EXPECT_EQ(ReadTokens(connection->Receive().payload, kTds74), c.tokens) << c.capture;
  }
}

TEST_F(ConnectionTest, ProcedureCallInABatch) {
  auto connection = LoggedIn();
  EXPECT_EQ(Batch(*connection, "EXEC myproc 1, 5"),
            (std::vector<std::string>{"COLMETADATA r", "ROW 42", "DONEINPROC 0x0011 1",
                                      "RETURNSTATUS 7", "DONEPROC 0x0000 0"}));
  EXPECT_EQ(Batch(*connection, "EXEC nothere 1"),
            (std::vector<std::string>{"ERROR 2812 Could not find stored procedure 'nothere'.",
                                      "DONE 0x0002 0"}));
}

TEST_F(ConnectionTest, AttentionAfterTheResponseIsAcknowledgedAlone) {
  auto connection = LoggedIn();
  Batch(*connection, "select 1");
  connection->SendRaw(Capture("freetds-odbc_15_attention.bin"));
  const auto ack = connection->Receive();
  EXPECT_EQ(HexText(ack.payload), HexText(CapturePayload("server_attn_2_done-attn-ack.bin")));
}

TEST_F(ConnectionTest, AttentionCancelsAStalledQueryInTwoMessages) {
  options_.hooks.stall_query_ms = 600000;
  auto connection = LoggedIn();
  connection->Send(kPacketBatch, MakeBatch("select 1"));
  connection->SendRaw(Capture("freetds-odbc_15_attention.bin"));
  EXPECT_EQ(HexText(connection->Receive().payload),
            HexText(CapturePayload("server_attn_1_terminating-done.bin")));
  EXPECT_EQ(HexText(connection->Receive().payload),
            HexText(CapturePayload("server_attn_2_done-attn-ack.bin")));
}

TEST_F(ConnectionTest, AttentionStopsARunningQuery) {
  auto connection = LoggedIn();
  // Far more rows than could ever be counted: only the cancel ends it.
  connection->Send(kPacketBatch,
                   MakeBatch("select count(*) from Numbers a, Numbers b, Numbers c, Numbers d"));
  connection->SendRaw(Capture("freetds-odbc_15_attention.bin"));
  EXPECT_EQ(HexText(connection->Receive().payload),
            HexText(CapturePayload("server_attn_1_terminating-done.bin")));
  EXPECT_EQ(HexText(connection->Receive().payload),
            HexText(CapturePayload("server_attn_2_done-attn-ack.bin")));
  // The connection goes on serving.
  EXPECT_EQ(Batch(*connection, "select count(*) from Numbers")[1], "ROW 300");
}

TEST_F(ConnectionTest, AttentionStopsAProcedure) {
  auto connection = LoggedIn();
  connection->Send(kPacketBatch, MakeBatch("EXEC Spin"));
  connection->SendRaw(Capture("freetds-odbc_15_attention.bin"));
  EXPECT_EQ(ReadTokens(connection->Receive().payload, kTds74),
            (std::vector<std::string>{"DONE 0x0000 0"}));
  EXPECT_EQ(ReadTokens(connection->Receive().payload, kTds74),
            (std::vector<std::string>{"DONE 0x0020 0"}));
}

TEST_F(ConnectionTest, DropHookClosesTheConnectionMidResult) {
  options_.hooks.drop_after_rows = 100;
  auto connection = LoggedIn(kTds74, 512);
  connection->Send(kPacketBatch, MakeBatch("select N, Label from Numbers"));
  const auto reply = connection->Receive();
  EXPECT_FALSE(reply.ended);
  EXPECT_GT(reply.payload.size(), 0u);
  EXPECT_TRUE(connection->ServerClosed());
}

TEST_F(ConnectionTest, StalledLoginEndsWhenTheClientLeaves) {
  options_.hooks.stall_login_ms = 600000;
  ServedConnection connection(backend_, options_);
  connection.Send(kPacketPrelogin, CapturePayload("freetds-tsql74_01_prelogin.bin"));
  connection.Receive();
  connection.Send(kPacketLogin7, testing::MakeLogin7("sa", "x", "testdb", kTds74, 4096));
  // The destructor closes the client side; the stalled server thread must notice and end.
}

TEST_F(ConnectionTest, ClientsThatStallTheLoginAreDroppedAtTheLoginTimeout) {
  options_.login_timeout_seconds = 1;
  const Bytes prelogin = Capture("freetds-tsql74_01_prelogin.bin");
  const std::vector<Bytes> inputs = {
      {},                                              // says nothing at all
      Bytes(prelogin.begin(), prelogin.begin() + 20),  // stops in the middle of a packet
  };
  for (const Bytes& input : inputs) {
    ServedConnection connection(backend_, options_);
    if (!input.empty())
      connection.SendRaw(input);
    EXPECT_TRUE(connection.ServerClosed());  // returns once the server gave up
  }
}

TEST_F(ConnectionTest, MalformedInputEndsTheConnection) {
  const std::vector<Bytes> inputs = {
      {0x12, 0x01, 0x00, 0x04, 0, 0, 0, 0},                          // length below the header
      {0x10, 0x01, 0x00, 0x10, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8},  // LOGIN7 too short
      {0x01, 0x01, 0x00, 0x0A, 0, 0, 0, 0, 0x41, 0},                 // a batch before login
  };
  for (const Bytes& input : inputs) {
    ServedConnection connection(backend_, options_);
    connection.SendRaw(input);
    EXPECT_TRUE(connection.ServerClosed());
  }
  // After login: a packet larger than the negotiated size, and an unknown packet type.
  auto oversized = LoggedIn(kTds74, 512);
  oversized->Send(kPacketBatch, MakeBatch(std::string(600, 'x')), 1024);
  EXPECT_TRUE(oversized->ServerClosed());
  auto unknown = LoggedIn();
  unknown->Send(0x55, {1, 2, 3});
  const auto reply = unknown->Receive();
  EXPECT_EQ(ReadTokens(reply.payload, kTds74).front().substr(0, 10), "ERROR 4002");
  EXPECT_TRUE(unknown->ServerClosed());
}

}  // namespace
}  // namespace korvane::tds
