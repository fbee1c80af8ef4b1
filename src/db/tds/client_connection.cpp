#include "db/tds/client_connection.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "base/text.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/sql_tokenizer.h"
#include "db/tds/login7.h"
#include "db/tds/prelogin.h"
#include "db/tds/procedure_runner.h"
#include "db/tds/result_encoder.h"
#include "db/tds/rpc_request.h"
#include "db/tds/tls_context.h"
#include "db/tds/tokens.h"

namespace korvane::tds {

// A response message being built: whole packets go out as soon as they fill, the rest with
// end-of-message set by Finish().
class ClientConnection::Response {
 public:
  explicit Response(PacketChannel& channel) : channel_(channel) {}

  ByteWriter& out() { return out_; }

  // Sends the packets that are full; false when the client is gone.
  bool Flush() {
    const std::size_t per_packet = channel_.PayloadPerPacket();
    const std::size_t whole = out_.size() / per_packet * per_packet;
    if (whole == 0 || whole == out_.size())
      return ok_;  // keep at least one byte for the end-of-message packet
    ok_ = ok_ && channel_.Send(kPacketReply, std::span(out_.bytes()).first(whole), false);
    out_.bytes().erase(out_.bytes().begin(),
                       out_.bytes().begin() + static_cast<std::ptrdiff_t>(whole));
    started_ = true;
    return ok_;
  }

  bool Finish() {
    ok_ = ok_ && channel_.Send(kPacketReply, out_.bytes(), true);
    out_.bytes().clear();
    return ok_;
  }

  // Ends a cancelled response: a lone DONE when nothing went out yet, else the tokens begun
  // and a DONE.
  bool Cancel(std::uint32_t tds_version) {
    if (!started_)
      out_.bytes().clear();
    WriteDone(out_, kTokenDone, kDoneFinal, 0, tds_version);
    return Finish();
  }

  // Sends what is complete without ending the message, then reports the connection lost
  // (the drop hook).
  void Abandon() {
    if (ok_ && !out_.bytes().empty())
      channel_.Send(kPacketReply, out_.bytes(), false);
    ok_ = false;
  }

  bool started() const { return started_; }

 private:
  PacketChannel& channel_;
  ByteWriter out_;
  bool ok_ = true;
  bool started_ = false;
};

namespace {

// A USE at the start of a batch: the database named and where the rest of the batch begins.
struct LeadingUse {
  std::string database;
  std::size_t rest = 0;
};

std::optional<LeadingUse> FindLeadingUse(const std::string& sql) {
  std::vector<embedded::Token> tokens;
  try {
    tokens = embedded::Tokenize(sql);
  } catch (const embedded::SqlError&) {
    return std::nullopt;  // the engine reports the same fault when it runs the batch
  }
  if (tokens.size() < 3 || !tokens[0].IsWord("USE") || !tokens[1].IsName())
    return std::nullopt;
  LeadingUse use;
  use.database = tokens[1].text;
  std::size_t next = 2;
  if (tokens[next].IsPunct(";"))
    ++next;
  use.rest = tokens[next].kind == embedded::TokenKind::kEnd ? sql.size() : tokens[next].offset;
  return use;
}

// Watches the socket while a request runs: an attention from the client (or the client leaving)
// sets the cancel flag. Data of another kind is left for the request loop.
class AttentionWatch {
 public:
  // `tls`: the socket carries TLS records.
  AttentionWatch(int fd, bool tls) : fd_(fd), tls_(tls), wake_(::eventfd(0, EFD_CLOEXEC)) {
    thread_ = std::thread([this] { Loop(); });
  }
  ~AttentionWatch() { Stop(); }
  AttentionWatch(const AttentionWatch&) = delete;
  AttentionWatch& operator=(const AttentionWatch&) = delete;

  void Stop() {
    if (!thread_.joinable())
      return;
    const std::uint64_t one = 1;
    if (::write(wake_, &one, sizeof one) < 0) {
      // The watcher's poll still ends at its next time-out.
    }
    thread_.join();
    ::close(wake_);
  }
  const std::atomic<bool>& cancel() const { return cancel_; }
  // Whether an attention was read (valid after Stop).
  bool attention() const { return attention_; }
  // TLS records taken off the socket (valid after Stop).
  const Bytes& held() const { return held_; }

 private:
  void Loop() {
    for (;;) {
      pollfd entries[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
      const int ready = ::poll(entries, 2, 1000);
      if (ready < 0 && errno != EINTR)
        return;
      if (entries[1].revents & POLLIN)
        return;
      if (ready <= 0 || !(entries[0].revents & (POLLIN | POLLHUP | POLLERR)))
        continue;
      std::uint8_t header[kHeaderSize];
      const ssize_t peeked = ::recv(fd_, header, sizeof header, MSG_PEEK);
      if (peeked == 0 || (peeked < 0 && errno != EINTR && errno != EAGAIN)) {
        cancel_ = true;  // the client left: nobody waits for the result
        return;
      }
      if (peeked <= 0)
        continue;
      if (tls_) {
        // Encrypted records cannot be looked into here, but a client waiting for its
        // response sends nothing but a cancel: take the records for the request loop, which
        // reads the attention from them once this request has ended.
        std::uint8_t raw[4096];
        for (ssize_t got; (got = ::recv(fd_, raw, sizeof raw, MSG_DONTWAIT)) > 0;)
          held_.insert(held_.end(), raw, raw + got);
        cancel_ = true;
        return;
      }
      if (header[0] != kPacketAttention)
        return;
      if (peeked < static_cast<ssize_t>(sizeof header))
        continue;
      if (::recv(fd_, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header))
        attention_ = true;
      cancel_ = true;
      return;
    }
  }

  int fd_;
  bool tls_;
  int wake_;
  Bytes held_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> attention_{false};
  std::thread thread_;
};

}  // namespace

ClientConnection::ClientConnection(int fd, const ServerOptions& options, DatabaseBackend& backend,
                                   const std::atomic<bool>& stopping, std::uint16_t spid)
    : channel_(fd), options_(options), backend_(backend), stopping_(stopping), spid_(spid) {
  channel_.set_spid(spid);
  // Before the login nothing legitimate is larger than a long LOGIN7.
  channel_.set_max_message_size(128u << 10);
  channel_.set_packet_size(32767);
  const auto version = ParseProductVersion(options.product_version);
  major_version_ = version.major == 0 ? 9 : version.major;
}

ServerMessage ClientConnection::Message(std::int32_t number, int severity, std::string text,
                                        int state) const {
  ServerMessage message;
  message.number = number;
  message.severity = severity;
  message.state = state;
  message.text = std::move(text);
  return message;
}

ClientConnection::~ClientConnection() = default;

void ClientConnection::Run() {
  // The whole login, however slowly its bytes come, must end within the login time-out.
  channel_.set_deadline(std::chrono::steady_clock::now() +
                        std::chrono::seconds(options_.login_timeout_seconds));
  if (!Login())
    return;
  channel_.set_deadline(std::nullopt);
  channel_.set_max_message_size(64u << 20);
  while (!stopping_ && !dropped_) {
    tds::Message message;
    if (channel_.ReadMessage(&message) != ReadStatus::kOk)
      return;
    if (message.status & kStatusIgnore) {
      // The client abandoned the message: answer with a single DONE.
      Response response(channel_);
      WriteDone(response.out(), kTokenDone, kDoneFinal, 0, tds_version_);
      if (!response.Finish())
        return;
      continue;
    }
    bool alive = true;
    switch (message.type) {
      case kPacketBatch:
      case kPacketRpc: {
        AttentionWatch watch(channel_.fd(), channel_.tls());
        cancel_ = &watch.cancel();
        alive = message.type == kPacketBatch ? HandleBatch(message) : HandleRpc(message);
        watch.Stop();
        cancel_ = nullptr;
        channel_.PutBackTls(watch.held());
        if (alive && watch.attention())
          alive = SendAttentionAck();
        break;
      }
      case kPacketTransaction:
        alive = HandleTransaction(message);
        break;
      case kPacketAttention:
        // The request it cancels was answered in full already.
        alive = SendAttentionAck();
        break;
      default: {
        Response response(channel_);
        WriteServerMessage(response.out(),
                           Message(4002, 20,
                                   "The incoming tabular data stream (TDS) protocol stream is "
                                   "incorrect. The stream ended unexpectedly."),
                           options_.server_label, tds_version_);
        WriteDone(response.out(), kTokenDone, kDoneError, 0, tds_version_);
        response.Finish();
        return;
      }
    }
    if (!alive)
      return;
  }
}

bool ClientConnection::Login() {
  tds::Message message;
  bool login_only_tls = false;
  if (channel_.ReadMessage(&message) != ReadStatus::kOk)
    return false;
  if (message.type == kPacketPrelogin) {
    const auto prelogin = ParsePrelogin(message.payload);
    if (!prelogin)
      return false;
    // With a certificate: TLS for the whole connection, or for the login alone when the client
    // asks no more (as SQL Server does); a client that cannot encrypt is refused.
    Encryption encryption = Encryption::kNotSupported;
    if (options_.tls)
      encryption = prelogin->encryption == Encryption::kOff            ? Encryption::kOff
                   : prelogin->encryption == Encryption::kNotSupported ? Encryption::kRequired
                                                                       : Encryption::kOn;
    channel_.set_packet_size(4096);
    const Bytes reply = BuildPreloginReply(options_.product_version, encryption);
    if (!channel_.Send(kPacketReply, reply) || encryption == Encryption::kRequired)
      return false;
    if (encryption == Encryption::kOn || encryption == Encryption::kOff) {
      login_only_tls = encryption == Encryption::kOff;
      tls_ = std::make_unique<TlsSession>(*options_.tls);
      std::string error;
      if (!tls_->Handshake(channel_, &error))
        return false;
    }
    channel_.set_packet_size(32767);
    if (channel_.ReadMessage(&message) != ReadStatus::kOk)
      return false;
    if (login_only_tls)
      channel_.UseTls(nullptr);  // the client goes on in plain text after its LOGIN7
  } else if (options_.tls) {
    return false;  // no PRELOGIN, no encryption
  }
  if (message.type != kPacketLogin7)
    return false;
  auto login = ParseLogin7(message.payload);
  if (!login)
    return false;
  tds_version_ = NegotiateTdsVersion(login->tds_version, major_version_);
  const std::uint32_t packet_size =
      NegotiatePacketSize(login->packet_size, options_.default_packet_size);

  if (options_.hooks.stall_login_ms > 0) {
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.hooks.stall_login_ms);
    while (!stopping_ && std::chrono::steady_clock::now() < end)
      if (channel_.WaitReadable(50)) {
        tds::Message ignored;  // a client giving up closes the socket
        if (channel_.ReadMessage(&ignored) != ReadStatus::kOk)
          return false;
      }
    if (stopping_)
      return false;
  }

  // Replies up to the login's end go in packets of at most 4096 bytes.
  channel_.set_packet_size(4096);
  const bool user_ok = !login->integrated_security &&
                       EqualsIgnoringCase(login->user_name, options_.login) &&
                       login->password == options_.password;
  if (!user_ok)
    return SendLoginFailure(login->user_name, {});

  ConnectionRequest request;
  request.server = options_.server;
  request.database = login->database;
  request.sql_auth = true;
  request.login = login->user_name;
  request.password = login->password;
  OpenOutcome opened = backend_.Open(request);
  if (!opened.session)
    return SendLoginFailure(login->user_name, opened.errors);
  session_ = std::move(opened.session);
  database_ = login->database.empty() ? "master" : login->database;

  Response response(channel_);
  ByteWriter& out = response.out();
  WriteEnvChange(out, kEnvDatabase, database_, "master");
  WriteServerMessage(out, Message(5701, 0, "Changed database context to '" + database_ + "'.", 2),
                     options_.server_label, tds_version_);
  WriteCollationEnvChange(out);
  WriteEnvChange(out, kEnvLanguage, "us_english", "");
  WriteServerMessage(out, Message(5703, 0, "Changed language setting to us_english."),
                     options_.server_label, tds_version_);
  WriteLoginAck(out, tds_version_, options_.product_version);
  const std::string size_text = std::to_string(packet_size);
  WriteEnvChange(out, kEnvPacketSize, size_text, size_text);
  WriteDone(out, kTokenDone, kDoneFinal, 0, tds_version_);
  if (!response.Finish())
    return false;
  channel_.set_packet_size(packet_size);
  return true;
}

bool ClientConnection::SendLoginFailure(const std::string& user,
                                        const std::vector<ServerMessage>& messages) {
  Response response(channel_);
  const std::uint32_t version = tds_version_ == 0 ? kTds71 : tds_version_;
  // The reason the server can say (the database that cannot be opened) comes first.
  for (const ServerMessage& message : messages) {
    if (message.number == 0)
      continue;
    ServerMessage reported = message;
    reported.severity = std::max(reported.severity, 11);
    WriteServerMessage(response.out(), reported, options_.server_label, version);
  }
  // SQL Server does not say whether the login or the password was wrong.
  WriteServerMessage(response.out(), Message(18456, 14, "Login failed for user '" + user + "'."),
                     options_.server_label, version);
  WriteDone(response.out(), kTokenDone, kDoneError, 0, version);
  response.Finish();
  return false;
}

std::span<const std::uint8_t> ClientConnection::SkipAllHeaders(const Bytes& payload) const {
  std::span<const std::uint8_t> data(payload);
  if (!IsTds72OrLater(tds_version_) || data.size() < 4)
    return data;
  ByteReader reader(data);
  const std::uint32_t total = reader.U32();
  if (total >= 4 && total <= data.size())
    return data.subspan(total);
  return data;
}

bool ClientConnection::SendAttentionAck() {
  Response ack(channel_);
  WriteDone(ack.out(), kTokenDone, kDoneAttention, 0, tds_version_);
  return ack.Finish();
}

bool ClientConnection::StallBeforeQuery() {
  if (options_.hooks.stall_query_ms <= 0)
    return true;
  const auto end =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.hooks.stall_query_ms);
  while (!stopping_ && !Cancelled() && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return !stopping_ && !Cancelled();
}

bool ClientConnection::Cancelled() const {
  return cancel_ && cancel_->load();
}

bool ClientConnection::Complete(Response& response) {
  if (Cancelled())
    return response.Cancel(tds_version_);
  return response.Finish();
}

bool ClientConnection::UseDatabase(const std::string& name, Response& response) {
  ConnectionRequest request;
  request.server = options_.server;
  request.database = name;
  request.sql_auth = true;
  request.login = options_.login;
  request.password = options_.password;
  OpenOutcome opened = backend_.Open(request);
  if (!opened.session) {
    WriteServerMessage(
        response.out(),
        Message(911, 16,
                major_version_ >= 9
                    ? "Database '" + name +
                          "' does not exist. Make sure that the name is entered correctly."
                    : "Could not locate entry in sysdatabases for database '" + name +
                          "'. No entry found with that name. Make sure that the name is entered "
                          "correctly."),
        options_.server_label, tds_version_);
    return false;
  }
  const std::string old = database_;
  session_ = std::move(opened.session);
  database_ = name;
  WriteEnvChange(response.out(), kEnvDatabase, database_, old);
  WriteServerMessage(response.out(),
                     Message(5701, 0, "Changed database context to '" + database_ + "'.", 2),
                     options_.server_label, tds_version_);
  return true;
}

bool ClientConnection::RunSql(const std::string& sql, Response& response, std::uint8_t done_token,
                              bool* failed) {
  *failed = false;
  std::string_view rest = sql;
  if (auto use = FindLeadingUse(sql)) {
    if (!UseDatabase(use->database, response)) {
      *failed = true;
      WriteDone(response.out(), done_token, kDoneError, 0, tds_version_);
      return response.Flush();
    }
    rest = std::string_view(sql).substr(use->rest);
    if (Trim(rest).empty()) {
      WriteDone(response.out(), done_token, kDoneFinal, 0, tds_version_);
      return response.Flush();
    }
  }
  if (auto call = ParseExecCall(std::string(rest))) {
    ProcedureOutcome procedure = RunProcedure(*session_, call->procedure, call->arguments, cancel_);
    // System procedures the engine knows (sp_attach_db...) go on to the engine.
    if (procedure.found ||
        !EqualsIgnoringCase(std::string_view(call->procedure).substr(0, 3), "sp_")) {
      *failed = !procedure.ok;
      if (!procedure.found) {
        WriteErrors(procedure.errors, response);
        WriteDone(response.out(), done_token, kDoneError, 0, tds_version_);
        return response.Flush();
      }
      return SendProcedureOutcome(procedure, response);
    }
  }
  CommandRequest request;
  request.type = CommandType::kText;
  request.text = std::string(rest);
  request.timeout_seconds = 0;
  request.cancel = cancel_;
  CommandOutcome outcome = session_->Execute(request);
  if (Cancelled())
    return true;  // the caller ends the response as cancelled
  if (!outcome.ok) {
    *failed = true;
    WriteErrors(outcome.errors, response);
    WriteDone(response.out(), done_token,
              static_cast<std::uint16_t>(kDoneError | (done_token == kTokenDone ? 0 : kDoneMore)),
              0, tds_version_);
    return response.Flush();
  }
  if (outcome.result_sets.empty()) {
    WriteDone(response.out(), done_token, done_token == kTokenDone ? kDoneFinal : kDoneMore, 0,
              tds_version_);
    return response.Flush();
  }
  return WriteResults(outcome.result_sets, response, done_token);
}

void ClientConnection::WriteErrors(const std::vector<ServerMessage>& errors, Response& response) {
  for (const ServerMessage& message : errors)
    WriteServerMessage(response.out(), message.number == 0 ? Message(0, 16, message.text) : message,
                       options_.server_label, tds_version_);
}

bool ClientConnection::WriteResults(std::vector<ResultSet>& results, Response& response,
                                    std::uint8_t done_token) {
  ByteWriter& out = response.out();
  for (std::size_t r = 0; r < results.size(); ++r) {
    ResultSet& result = results[r];
    if (!result.columns.empty()) {
      const auto columns = PlanColumns(result, tds_version_);
      WriteColumnMetadata(out, columns, tds_version_);
      for (const auto& row : result.rows) {
        if (Cancelled())
          return true;  // the rest is thrown away; the caller ends the response
        WriteRow(out, columns, row, tds_version_);
        ++rows_sent_;
        if (options_.hooks.drop_after_rows >= 0 && rows_sent_ > options_.hooks.drop_after_rows) {
          response.Abandon();
          dropped_ = true;
          return false;
        }
        if (out.size() >= channel_.PayloadPerPacket() && !response.Flush())
          return false;
      }
    }
    const bool last = r + 1 == results.size();
    const std::uint16_t more = last && done_token == kTokenDone ? 0 : kDoneMore;
    WriteDone(out, done_token, static_cast<std::uint16_t>(kDoneCount | more), result.rows.size(),
              tds_version_);
    result = ResultSet();  // frees the rows sent
  }
  return response.Flush();
}

bool ClientConnection::SendProcedureOutcome(const ProcedureOutcome& outcome, Response& response) {
  std::vector<ResultSet> results = outcome.result_sets;
  if (!results.empty() && !WriteResults(results, response, kTokenDoneInProc))
    return false;
  if (!outcome.ok) {
    WriteErrors(outcome.errors, response);
    WriteDone(response.out(), kTokenDoneInProc, kDoneError | kDoneMore, 0, tds_version_);
  }
  WriteReturnStatus(response.out(), outcome.return_status);
  for (const auto& output : outcome.outputs)
    WriteReturnValue(response.out(), output.ordinal, output.name, output.type, output.value,
                     tds_version_);
  WriteDone(response.out(), kTokenDoneProc, outcome.ok ? kDoneFinal : kDoneError, 0, tds_version_);
  return response.Flush();
}

bool ClientConnection::RunParameterized(const std::string& statement,
                                        const std::string& declarations,
                                        std::span<const RpcParameter> values, Response& response,
                                        bool* failed) {
  const auto declared = ParseParameterDeclarations(declarations);
  std::vector<std::pair<std::string, Value>> bound_values;
  for (const DeclaredParameter& parameter : declared)
    bound_values.emplace_back(parameter.name, Value::Null());
  for (std::size_t k = 0; k < values.size(); ++k) {
    const RpcParameter& value = values[k];
    if (!value.name.empty()) {
      auto found = std::find_if(bound_values.begin(), bound_values.end(), [&](const auto& entry) {
        return EqualsIgnoringCase(entry.first, value.name);
      });
      if (found == bound_values.end()) {
        WriteErrors(
            {Message(8145, 16, value.name + " is not a parameter for procedure sp_executesql.")},
            response);
        *failed = true;
        WriteDone(response.out(), kTokenDoneInProc, kDoneError | kDoneMore, 0, tds_version_);
        return response.Flush();
      }
      found->second = value.value;
    } else if (k < bound_values.size()) {
      bound_values[k].second = value.value;
    } else {
      WriteErrors(
          {Message(8144, 16,
                   "Procedure or function sp_executesql has too many arguments specified.")},
          response);
      *failed = true;
      WriteDone(response.out(), kTokenDoneInProc, kDoneError | kDoneMore, 0, tds_version_);
      return response.Flush();
    }
  }
  std::string sql;
  std::string error;
  if (!BindParameters(statement, bound_values, &sql, &error)) {
    WriteErrors({Message(137, 15, error)}, response);
    *failed = true;
    WriteDone(response.out(), kTokenDoneInProc, kDoneError | kDoneMore, 0, tds_version_);
    return response.Flush();
  }
  return RunSql(sql, response, kTokenDoneInProc, failed);
}

bool ClientConnection::HandleBatch(const tds::Message& message) {
  Response response(channel_);
  if (!StallBeforeQuery())
    return Complete(response);
  const std::string sql = Ucs2ToUtf8(SkipAllHeaders(message.payload));
  bool failed = false;
  if (!RunSql(sql, response, kTokenDone, &failed))
    return false;
  return Complete(response);
}

bool ClientConnection::HandleRpc(const tds::Message& message) {
  std::string error;
  const auto request = ParseRpc(SkipAllHeaders(message.payload), tds_version_, &error);
  Response response(channel_);
  if (!request) {
    WriteErrors({Message(8009, 16,
                         "The incoming tabular data stream (TDS) remote procedure call (RPC) "
                         "protocol stream is incorrect: " +
                             error + ".")},
                response);
    WriteDone(response.out(), kTokenDoneProc, kDoneError, 0, tds_version_);
    return Complete(response);
  }
  if (!StallBeforeQuery())
    return Complete(response);
  const auto& parameters = request->parameters;
  const auto text_of = [&](std::size_t k) {
    if (k >= parameters.size() || parameters[k].value.is_null())
      return std::string();
    const Value& v = parameters[k].value;
    return v.type() == ValueType::kText ? v.AsText() : NullText(v);
  };
  const auto handle_of = [&](std::size_t k) -> std::optional<std::int32_t> {
    if (k >= parameters.size() || parameters[k].value.type() != ValueType::kInteger)
      return std::nullopt;
    return static_cast<std::int32_t>(parameters[k].value.AsInteger());
  };
  const auto finish = [&](bool failed) {
    WriteReturnStatus(response.out(), 0);
    WriteDone(response.out(), kTokenDoneProc, failed ? kDoneError : kDoneFinal, 0, tds_version_);
    return Complete(response);
  };
  const auto handle_value = [&](std::int32_t handle) {
    WriteReturnValue(response.out(), 0, parameters.empty() ? "" : parameters[0].name, "int",
                     Value::Integer(handle), tds_version_);
  };
  bool failed = false;
  switch (request->procedure_id) {
    case kProcExecuteSql: {
      if (parameters.empty()) {
        WriteErrors({Message(201, 16,
                             "Procedure or function 'sp_executesql' expects parameter "
                             "'@statement', which was not supplied.")},
                    response);
        return finish(true);
      }
      const std::span<const RpcParameter> values = parameters.size() > 2
                                                       ? std::span(parameters).subspan(2)
                                                       : std::span<const RpcParameter>();
      if (!RunParameterized(text_of(0), text_of(1), values, response, &failed))
        return false;
      return finish(failed);
    }
    case kProcPrepare:
    case kProcPrepExec: {
      const std::int32_t handle = next_handle_++;
      prepared_[handle] = Prepared{text_of(1), text_of(2)};
      if (request->procedure_id == kProcPrepare) {
        WriteReturnStatus(response.out(), 0);
        handle_value(handle);
        WriteDone(response.out(), kTokenDoneProc, kDoneFinal, 0, tds_version_);
        return Complete(response);
      }
      handle_value(handle);
      const std::span<const RpcParameter> values = parameters.size() > 3
                                                       ? std::span(parameters).subspan(3)
                                                       : std::span<const RpcParameter>();
      if (!RunParameterized(text_of(2), text_of(1), values, response, &failed))
        return false;
      return finish(failed);
    }
    case kProcExecute:
    case kProcUnprepare: {
      const auto handle = handle_of(0);
      const auto found = handle ? prepared_.find(*handle) : prepared_.end();
      if (found == prepared_.end()) {
        WriteErrors({Message(8179, 16,
                             "Could not find prepared statement with handle " +
                                 (handle ? std::to_string(*handle) : std::string("NULL")) + ".")},
                    response);
        return finish(true);
      }
      if (request->procedure_id == kProcUnprepare) {
        prepared_.erase(found);
        return finish(false);
      }
      const Prepared prepared = found->second;
      const std::span<const RpcParameter> values = parameters.size() > 1
                                                       ? std::span(parameters).subspan(1)
                                                       : std::span<const RpcParameter>();
      if (!RunParameterized(prepared.statement, prepared.declarations, values, response, &failed))
        return false;
      return finish(failed);
    }
    default:
      break;
  }
  if (request->procedure_id != 0) {
    WriteErrors(
        {Message(2812, 16,
                 "Could not find stored procedure '" +
                     (request->procedure_name.empty() ? std::to_string(request->procedure_id)
                                                      : request->procedure_name) +
                     "'.")},
        response);
    return finish(true);
  }
  std::vector<ProcedureArgument> arguments;
  for (const RpcParameter& parameter : parameters) {
    ProcedureArgument argument;
    argument.name = parameter.name;
    argument.value = parameter.value;
    argument.output = parameter.output;
    arguments.push_back(std::move(argument));
  }
  const ProcedureOutcome outcome =
      RunProcedure(*session_, request->procedure_name, arguments, cancel_);
  if (!SendProcedureOutcome(outcome, response))
    return false;
  return Complete(response);
}

bool ClientConnection::HandleTransaction(const tds::Message& message) {
  // A batch is one transaction in the engine already: begin, commit and rollback requests are
  // acknowledged without a transaction descriptor, so clients keep sending none.
  (void)message;
  Response response(channel_);
  WriteDone(response.out(), kTokenDone, kDoneFinal, 0, tds_version_);
  return response.Finish();
}

}  // namespace korvane::tds
