// The TDS listener's speed, each figure beside a baseline measured in the same run:
//   - SELECT * of a 1,000,000-row table read by FreeTDS's tsql through the listener (output to
//     /dev/null), against the same query through the embedded backend directly ("rows/s");
//   - connections per second, each a login and one query through the listener, against opening
//     a session and running the query on the backend directly ("connections/s").
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "db/tds/login7.h"
#include "db/tds/packet_channel.h"
#include "db/tds/tds_bytes.h"
#include "served_table_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace korvane;

constexpr int kRows = bench::kServedRows;

struct Fixture : bench::ServedTableFixture {
  Fixture() : ServedTableFixture("korvane-bench-tds") {}
};

Fixture& Shared() {
  static Fixture fixture;  // built once for every benchmark of this program
  return fixture;
}

std::int64_t DirectRows(Fixture& fixture, const std::string& sql) {
  ConnectionRequest request;
  request.server = fixture.server;
  request.database = "bench";
  auto opened = fixture.backend.Open(request);
  if (!opened.session)
    throw std::runtime_error("cannot open the bench database");
  CommandRequest command;
  command.text = sql;
  command.timeout_seconds = 0;
  const auto outcome = opened.session->Execute(command);
  if (!outcome.ok || outcome.result_sets.empty())
    throw std::runtime_error("the query failed");
  return static_cast<std::int64_t>(outcome.result_sets[0].rows.size());
}

void BM_SelectAll_Direct(benchmark::State& state) {
  Fixture& fixture = Shared();
  std::int64_t rows = 0;
  for (auto _ : state)
    rows += DirectRows(fixture, "SELECT * FROM Big");
  state.counters["rows/s"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}

void BM_SelectAll_TsqlThroughListener(benchmark::State& state) {
  Fixture& fixture = Shared();
  const std::string command =
      "printf 'SELECT * FROM Big\\ngo\\n' | TDSVER=7.4 tsql -H 127.0.0.1 -p " +
      std::to_string(fixture.listener->port()) + " -U sa -P x -D bench >/dev/null 2>&1";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0)
      state.SkipWithError("tsql failed (is freetds-bin installed?)");
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kRows,
                                                benchmark::Counter::kIsRate);
}

// A minimal client: PRELOGIN, LOGIN7, one batch, reading each reply to its end.
bool ReadReply(int fd) {
  for (;;) {
    std::uint8_t header[8];
    if (::recv(fd, header, 8, MSG_WAITALL) != 8)
      return false;
    const std::size_t length = (static_cast<std::size_t>(header[2]) << 8) | header[3];
    std::uint8_t body[32768];
    if (length > 8 && ::recv(fd, body, length - 8, MSG_WAITALL) != static_cast<ssize_t>(length - 8))
      return false;
    if (header[1] & 1)
      return true;
  }
}

bool SendMessage(int fd, std::uint8_t type, const tds::Bytes& payload) {
  tds::Bytes packet = {type,
                       1,
                       static_cast<std::uint8_t>((payload.size() + 8) >> 8),
                       static_cast<std::uint8_t>(payload.size() + 8),
                       0,
                       0,
                       1,
                       0};
  packet.insert(packet.end(), payload.begin(), payload.end());
  return ::send(fd, packet.data(), packet.size(), MSG_NOSIGNAL) ==
         static_cast<ssize_t>(packet.size());
}

tds::Bytes Login7() {
  tds::ByteWriter out;
  const tds::Bytes user = tds::Utf8ToUcs2("sa");
  tds::Bytes password = tds::Utf8ToUcs2("x");
  for (auto& b : password)
    b = static_cast<std::uint8_t>((((b << 4) | (b >> 4)) & 0xFF) ^ 0xA5);
  const tds::Bytes database = tds::Utf8ToUcs2("bench");
  out.U32(0);
  out.U32(tds::kTds74);
  out.U32(4096);
  for (int k = 0; k < 3; ++k)
    out.U32(0);
  out.U32(0);  // flags
  out.U32(0);
  out.U32(0x409);
  std::uint16_t offset = 94;
  const auto field = [&](const tds::Bytes& bytes) {
    out.U16(offset);
    out.U16(static_cast<std::uint16_t>(bytes.size() / 2));
    offset = static_cast<std::uint16_t>(offset + bytes.size());
  };
  field({});
  field(user);
  field(password);
  field({});
  field({});
  out.U32(0);  // extension
  field({});
  field({});
  field(database);
  for (int k = 0; k < 6; ++k)
    out.U8(0);
  for (int k = 0; k < 3; ++k)
    field({});
  out.U32(0);
  out.Append(user);
  out.Append(password);
  out.Append(database);
  tds::Bytes bytes = out.bytes();
  const auto length = static_cast<std::uint32_t>(bytes.size());
  std::memcpy(bytes.data(), &length, 4);
  return bytes;
}

bool ConnectLoginQuery(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  tds::ByteWriter batch;
  batch.U32(22);
  batch.U32(18);
  batch.U16(2);
  batch.U64(0);
  batch.U32(1);
  batch.Ucs2("SELECT COUNT(*) FROM Numbers");
  // VERSION 9.0.0.0 only: one table entry, its end marker, then the 6 bytes at offset 6.
  const tds::Bytes prelogin = {0x00, 0x00, 0x06, 0x00, 0x06, 0xFF, 9, 0, 0, 0, 0, 0};
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                  SendMessage(fd, tds::kPacketPrelogin, prelogin) && ReadReply(fd) &&
                  SendMessage(fd, tds::kPacketLogin7, Login7()) && ReadReply(fd) &&
                  SendMessage(fd, tds::kPacketBatch, batch.bytes()) && ReadReply(fd);
  ::close(fd);
  return ok;
}

void BM_Connection_Direct(benchmark::State& state) {
  Fixture& fixture = Shared();
  for (auto _ : state)
    benchmark::DoNotOptimize(DirectRows(fixture, "SELECT COUNT(*) FROM Numbers"));
  state.counters["connections/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Connection_ThroughListener(benchmark::State& state) {
  Fixture& fixture = Shared();
  for (auto _ : state)
    if (!ConnectLoginQuery(fixture.listener->port()))
      state.SkipWithError("login or query through the listener failed");
  state.counters["connections/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

// Wall-clock rates: the work through the listener happens in other threads and processes.
BENCHMARK(BM_SelectAll_Direct)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SelectAll_TsqlThroughListener)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_Connection_Direct)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Connection_ThroughListener)->Unit(benchmark::kMicrosecond)->UseRealTime();
