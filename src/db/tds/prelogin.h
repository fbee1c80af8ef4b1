// PRELOGIN, the first message of a connection: the client names its version and whether it
// wants encryption; the server answers with its product version and its own encryption choice.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "db/tds/tds_bytes.h"

namespace korvane::tds {

enum class Encryption : std::uint8_t { kOff = 0, kOn = 1, kNotSupported = 2, kRequired = 3 };

struct PreloginRequest {
  Encryption encryption = Encryption::kNotSupported;  // kNotSupported when the client sent none
};

// nullopt when the option table is malformed (an entry pointing outside the payload, no end
// marker).
std::optional<PreloginRequest> ParsePrelogin(std::span<const std::uint8_t> payload);

// The reply payload: VERSION (the product version "9.00.5000.00" as major, minor, build),
// ENCRYPTION, INSTOPT, THREADID (empty) and MARS off.
Bytes BuildPreloginReply(const std::string& product_version, Encryption encryption);

// "9.00.5000.00" -> {9, 0, 5000}; missing parts are 0.
struct ProductVersion {
  int major = 0;
  int minor = 0;
  int build = 0;
};
ProductVersion ParseProductVersion(const std::string& text);

}  // namespace korvane::tds
