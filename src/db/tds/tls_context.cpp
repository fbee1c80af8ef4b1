#include "db/tds/tls_context.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>

namespace korvane::tds {
namespace {

std::string LastTlsError() {
  const unsigned long code = ERR_get_error();
  if (code == 0)
    return "unknown TLS error";
  char text[256];
  ERR_error_string_n(code, text, sizeof text);
  ERR_clear_error();
  return text;
}

}  // namespace

std::unique_ptr<TlsContext> TlsContext::Load(const std::string& certificate_file,
                                             const std::string& key_file, std::string* error) {
  SSL_CTX* context = SSL_CTX_new(TLS_server_method());
  if (!context) {
    *error = LastTlsError();
    return nullptr;
  }
  SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
  SSL_CTX_set_max_proto_version(context, TLS1_2_VERSION);
  // Renegotiation would make reads and writes depend on each other.
  SSL_CTX_set_options(context, SSL_OP_NO_RENEGOTIATION);
  if (SSL_CTX_use_certificate_chain_file(context, certificate_file.c_str()) != 1) {
    *error = "cannot use the certificate " + certificate_file + ": " + LastTlsError();
  } else if (SSL_CTX_use_PrivateKey_file(context, key_file.c_str(), SSL_FILETYPE_PEM) != 1) {
    *error = "cannot use the key " + key_file + ": " + LastTlsError();
  } else if (SSL_CTX_check_private_key(context) != 1) {
    *error = "the key " + key_file + " does not belong to the certificate " + certificate_file;
  } else {
    return std::unique_ptr<TlsContext>(new TlsContext(context));
  }
  SSL_CTX_free(context);
  return nullptr;
}

TlsContext::~TlsContext() {
  SSL_CTX_free(context_);
}

TlsSession::TlsSession(const TlsContext& context) : ssl_(SSL_new(context.get())) {}

TlsSession::~TlsSession() {
  if (ssl_)
    SSL_free(ssl_);
}

bool TlsSession::Handshake(PacketChannel& channel, std::string* error) {
  if (!ssl_) {
    *error = LastTlsError();
    return false;
  }
  BIO* in = BIO_new(BIO_s_mem());
  BIO* out = BIO_new(BIO_s_mem());
  SSL_set_bio(ssl_, in, out);  // the session owns both now
  SSL_set_accept_state(ssl_);
  for (;;) {
    Message message;
    if (channel.ReadMessage(&message) != ReadStatus::kOk || message.type != kPacketPrelogin) {
      *error = "the client left during the TLS handshake";
      return false;
    }
    BIO_write(in, message.payload.data(), static_cast<int>(message.payload.size()));
    const int done = SSL_do_handshake(ssl_);
    if (done != 1) {
      const int reason = SSL_get_error(ssl_, done);
      if (reason != SSL_ERROR_WANT_READ) {
        *error = "TLS handshake failed: " + LastTlsError();
        return false;
      }
    }
    // Everything the engine wrote answers this flight, as one message.
    Bytes flight;
    char buffer[4096];
    for (int got; (got = BIO_read(out, buffer, sizeof buffer)) > 0;)
      flight.insert(flight.end(), buffer, buffer + got);
    if (!flight.empty() && !channel.Send(kPacketPrelogin, flight)) {
      *error = "the client left during the TLS handshake";
      return false;
    }
    if (done == 1)
      break;
  }
  // From here on the records go straight over the socket (through the same memory buffers, so
  // that writes to a closed socket fail instead of raising SIGPIPE).
  channel.UseTls(ssl_);
  return true;
}

}  // namespace korvane::tds
