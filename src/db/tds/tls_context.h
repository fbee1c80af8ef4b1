// TLS for the listener: the server certificate and key (loaded once), and one connection's TLS
// session, whose handshake travels inside PRELOGIN packets before the TLS records go straight
// over the socket. TLS 1.2 only: clients speaking TDS 7.x hang when offered TLS 1.3.
#pragma once

#include <memory>
#include <string>

#include "db/tds/packet_channel.h"

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;

namespace korvane::tds {

class TlsContext {
 public:
  // nullptr with `error` set when the files cannot be read or do not belong together.
  static std::unique_ptr<TlsContext> Load(const std::string& certificate_file,
                                          const std::string& key_file, std::string* error);
  ~TlsContext();
  TlsContext(const TlsContext&) = delete;
  TlsContext& operator=(const TlsContext&) = delete;

  SSL_CTX* get() const { return context_; }

 private:
  explicit TlsContext(SSL_CTX* context) : context_(context) {}
  SSL_CTX* context_;
};

class TlsSession {
 public:
  explicit TlsSession(const TlsContext& context);
  ~TlsSession();
  TlsSession(const TlsSession&) = delete;
  TlsSession& operator=(const TlsSession&) = delete;

  // Runs the server side of the handshake: reads the client's flights from PRELOGIN messages
  // and answers each with one PRELOGIN message. Then switches `channel` to TLS on the socket.
  // False with `error` set when the handshake fails or the client leaves.
  bool Handshake(PacketChannel& channel, std::string* error);

 private:
  SSL* ssl_ = nullptr;
};

}  // namespace korvane::tds
