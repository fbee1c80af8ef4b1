// One client of the listener, served on its own thread with its own engine session:
// PRELOGIN, LOGIN7 and the login reply, then SQL batches, RPCs, transaction requests and
// attentions until the client leaves or the listener stops.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "db/backend.h"
#include "db/tds/packet_channel.h"
#include "db/tds/server_options.h"

namespace korvane::tds {

struct RpcRequest;
class TlsSession;

class ClientConnection {
 public:
  // `fd` is a connected socket, owned by the caller; `stopping` turns true when the listener
  // shuts down (the caller then also shuts the socket down to end blocking reads).
  ClientConnection(int fd, const ServerOptions& options, DatabaseBackend& backend,
                   const std::atomic<bool>& stopping, std::uint16_t spid);
  ~ClientConnection();
  ClientConnection(const ClientConnection&) = delete;
  ClientConnection& operator=(const ClientConnection&) = delete;

  // Serves the client until it disconnects, fails the login or sends something unreadable.
  void Run();

 private:
  class Response;

  bool Login();
  bool SendLoginFailure(const std::string& user, const std::vector<ServerMessage>& messages);
  bool HandleBatch(const Message& message);
  bool HandleRpc(const Message& message);
  bool HandleTransaction(const Message& message);
  // Strips ALL_HEADERS (TDS 7.2 and later) from a request's payload.
  std::span<const std::uint8_t> SkipAllHeaders(const Bytes& payload) const;
  // Runs a batch on the session; the result sets, messages and the final DONE go into
  // `response` (`done_token` DONE or DONEINPROC). False when the connection is lost.
  bool RunSql(const std::string& sql, Response& response, std::uint8_t done_token, bool* failed);
  bool UseDatabase(const std::string& name, Response& response);
  // Sends a procedure's results, RETURNSTATUS, its output parameters and DONEPROC.
  bool SendProcedureOutcome(const struct ProcedureOutcome& outcome, Response& response);
  // Runs `statement` with `values` bound to the declared parameters (sp_executesql and the
  // prepared statements); results end in DONEINPROC.
  bool RunParameterized(const std::string& statement, const std::string& declarations,
                        std::span<const struct RpcParameter> values, Response& response,
                        bool* failed);
  bool WriteResults(std::vector<ResultSet>& results, Response& response, std::uint8_t done_token);
  void WriteErrors(const std::vector<ServerMessage>& errors, Response& response);
  // Waits out the stall hook; false when the request was cancelled meanwhile.
  bool StallBeforeQuery();
  // Whether the client cancelled the request being served (or left).
  bool Cancelled() const;
  // Ends the response: in full, or as cancelled when the client sent an attention.
  bool Complete(Response& response);
  bool SendAttentionAck();
  ServerMessage Message(std::int32_t number, int severity, std::string text, int state = 1) const;

  PacketChannel channel_;
  std::unique_ptr<TlsSession> tls_;
  const ServerOptions& options_;
  DatabaseBackend& backend_;
  const std::atomic<bool>& stopping_;
  std::uint16_t spid_;
  std::uint32_t tds_version_ = 0;
  int major_version_ = 9;
  std::string database_;
  std::unique_ptr<DatabaseSession> session_;
  // Statements prepared with sp_prepare / sp_prepexec, by handle.
  struct Prepared {
    std::string declarations;
    std::string statement;
  };
  std::map<std::int32_t, Prepared> prepared_;
  std::int32_t next_handle_ = 1;
  const std::atomic<bool>* cancel_ = nullptr;  // the running request's cancel flag
  bool dropped_ = false;                       // the drop hook closed the connection
  std::int64_t rows_sent_ = 0;
};

}  // namespace korvane::tds
