#include "db/tds/tokens.h"

#include "db/tds/prelogin.h"

namespace korvane::tds {
namespace {

constexpr std::uint8_t kTokenError = 0xAA;
constexpr std::uint8_t kTokenInfo = 0xAB;
constexpr std::uint8_t kTokenEnvChange = 0xE3;
constexpr std::uint8_t kTokenLoginAck = 0xAD;
constexpr std::uint8_t kTokenReturnStatus = 0x79;
constexpr std::uint8_t kInterfaceSql = 1;

}  // namespace

bool IsTds72OrLater(std::uint32_t tds_version) {
  return (tds_version >> 24) >= 0x72;
}
bool IsTds73OrLater(std::uint32_t tds_version) {
  return (tds_version >> 24) >= 0x73;
}

void WriteDone(ByteWriter& out, std::uint8_t token, std::uint16_t status, std::uint64_t row_count,
               std::uint32_t tds_version) {
  out.U8(token);
  out.U16(status);
  out.U16(0);  // current command: clients ignore it
  if (IsTds72OrLater(tds_version))
    out.U64(row_count);
  else
    out.U32(static_cast<std::uint32_t>(row_count));
}

void WriteServerMessage(ByteWriter& out, const ServerMessage& message, std::string_view server_name,
                        std::uint32_t tds_version, int line) {
  out.U8(message.severity > 10 ? kTokenError : kTokenInfo);
  const std::size_t length_at = out.size();
  out.U16(0);
  out.U32(static_cast<std::uint32_t>(message.number));
  out.U8(static_cast<std::uint8_t>(message.state));
  out.U8(static_cast<std::uint8_t>(message.severity));
  out.UsVarChar(message.text);
  out.BVarChar(server_name);
  out.BVarChar("");  // procedure name
  if (IsTds72OrLater(tds_version))
    out.U32(static_cast<std::uint32_t>(line));
  else
    out.U16(static_cast<std::uint16_t>(line));
  out.PatchU16(length_at, static_cast<std::uint16_t>(out.size() - length_at - 2));
}

void WriteEnvChange(ByteWriter& out, std::uint8_t type, std::string_view new_value,
                    std::string_view old_value) {
  out.U8(kTokenEnvChange);
  const std::size_t length_at = out.size();
  out.U16(0);
  out.U8(type);
  out.BVarChar(new_value);
  out.BVarChar(old_value);
  out.PatchU16(length_at, static_cast<std::uint16_t>(out.size() - length_at - 2));
}

void WriteCollationEnvChange(ByteWriter& out) {
  out.U8(kTokenEnvChange);
  out.U16(8);
  out.U8(kEnvCollation);
  out.U8(sizeof kCollation);
  out.Append(kCollation);
  out.U8(0);
}

void WriteLoginAck(ByteWriter& out, std::uint32_t tds_version, const std::string& product_version) {
  constexpr std::string_view kProgramName = "Microsoft SQL Server";
  const ProductVersion version = ParseProductVersion(product_version);
  out.U8(kTokenLoginAck);
  out.U16(static_cast<std::uint16_t>(1 + 4 + 1 + 2 * kProgramName.size() + 4));
  out.U8(kInterfaceSql);
  // The version goes out most significant byte first.
  out.U8(static_cast<std::uint8_t>(tds_version >> 24));
  out.U8(static_cast<std::uint8_t>(tds_version >> 16));
  out.U8(static_cast<std::uint8_t>(tds_version >> 8));
  out.U8(static_cast<std::uint8_t>(tds_version));
  out.BVarChar(kProgramName);
  out.U8(static_cast<std::uint8_t>(version.major));
  out.U8(static_cast<std::uint8_t>(version.minor));
  out.U8(static_cast<std::uint8_t>((version.build >> 8) & 0xFF));
  out.U8(static_cast<std::uint8_t>(version.build & 0xFF));
}

void WriteReturnStatus(ByteWriter& out, std::int32_t status) {
  out.U8(kTokenReturnStatus);
  out.U32(static_cast<std::uint32_t>(status));
}

}  // namespace korvane::tds
