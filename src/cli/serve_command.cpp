#include "cli/serve_command.h"

#include <charconv>
#include <csignal>

#include "base/user_interface.h"
#include "cli/cli.h"
#include "db/embedded/server_folder.h"
#include "db/tds/tds_listener.h"
#include "db/tds/tls_context.h"

namespace korvane {
namespace {

constexpr std::string_view kTitle = "Serve";

std::optional<int> ParsePort(const std::string& text) {
  int port = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (error != std::errc() || end != text.data() + text.size() || port < 0 || port > 65535)
    return std::nullopt;
  return port;
}

// Blocks SIGINT and SIGTERM for this thread and the threads it starts, then waits for one.
class StopSignals {
 public:
  StopSignals() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set_, &previous_);
  }
  ~StopSignals() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  void Wait() {
    int signal = 0;
    sigwait(&set_, &signal);
  }

 private:
  sigset_t set_;
  sigset_t previous_;
};

}  // namespace

int ServeCommand(ApplicationContext& context, const std::vector<std::string>& args,
                 const Environment& env, std::istream& in, std::ostream& out) {
  UserInterface& ui = context.ui;
  const std::string usage =
      "usage: serve SERVER [--port N] [--listen ADDRESS] --login NAME --password-stdin "
      "[--tls-cert FILE --tls-key FILE]";
  if (args.empty()) {
    ui.ShowMessage(usage, MessageIcon::kExclamation, std::string(kTitle));
    return kExitFailed;
  }
  tds::ServerOptions options;
  options.server = args[0];
  bool password_stdin = false;
  std::string certificate_file;
  std::string key_file;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& option = args[i];
    const bool has_value = i + 1 < args.size();
    if (option == "--port" && has_value) {
      const auto port = ParsePort(args[++i]);
      if (!port) {
        ui.ShowMessage("--port takes a number from 0 to 65535, not \"" + args[i] + "\".",
                       MessageIcon::kExclamation, std::string(kTitle));
        return kExitFailed;
      }
      options.port = *port;
    } else if (option == "--listen" && has_value) {
      options.listen_address = args[++i];
    } else if (option == "--login" && has_value) {
      options.login = args[++i];
    } else if (option == "--tls-cert" && has_value) {
      certificate_file = args[++i];
    } else if (option == "--tls-key" && has_value) {
      key_file = args[++i];
    } else if (option == "--password-stdin") {
      password_stdin = true;
    } else if (option == "--password") {
      ui.ShowMessage(
          "--password is refused (it would show in the process list); use "
          "--password-stdin.",
          MessageIcon::kExclamation, std::string(kTitle));
      return kExitFailed;
    } else {
      ui.ShowMessage(usage, MessageIcon::kExclamation, std::string(kTitle));
      return kExitFailed;
    }
  }
  if (options.login.empty() || !password_stdin) {
    ui.ShowMessage("serve needs --login NAME and --password-stdin: clients log in with them.",
                   MessageIcon::kExclamation, std::string(kTitle));
    return kExitFailed;
  }
  if (certificate_file.empty() != key_file.empty()) {
    ui.ShowMessage("--tls-cert and --tls-key go together: the certificate and its private key.",
                   MessageIcon::kExclamation, std::string(kTitle));
    return kExitFailed;
  }
  if (!certificate_file.empty()) {
    std::string error;
    auto tls = tds::TlsContext::Load(certificate_file, key_file, &error);
    if (!tls) {
      ui.ShowMessage(error, MessageIcon::kExclamation, std::string(kTitle));
      return kExitFailed;
    }
    options.tls = std::move(tls);
  }
  if (!options.tls && !tds::IsLoopbackAddress(options.listen_address)) {
    ui.ShowMessage("Listening on " + options.listen_address +
                       " would send passwords and data over the network unencrypted; give "
                       "--tls-cert FILE --tls-key FILE, or listen on a loopback address "
                       "(127.0.0.1, ::1).",
                   MessageIcon::kExclamation, std::string(kTitle));
    return kExitFailed;
  }
  std::getline(in, options.password);
  if (!options.password.empty() && options.password.back() == '\r')
    options.password.pop_back();
  // Nothing piped in (or an empty line) would let any client in with an empty password.
  if (options.password.empty()) {
    ui.ShowMessage(
        "No password came on standard input: give the login's password as its first "
        "line (--password-stdin).",
        MessageIcon::kExclamation, std::string(kTitle));
    return kExitFailed;
  }

  const auto folder = embedded::ResolveServerFolder(args[0], context.locations.servers_folder);
  if (!folder || !embedded::ServerFolder(*folder).Exists()) {
    ui.ShowMessage("\"" + args[0] +
                       "\" is not an embedded server (embedded:NAME or embedded:PATH of a "
                       "server made by the load command).",
                   MessageIcon::kExclamation, std::string(kTitle));
    return kExitFailed;
  }
  DatabaseBackend* backend = context.backends.For(args[0]);
  if (!backend) {
    ui.ShowMessage("The embedded server is not available.", MessageIcon::kExclamation,
                   std::string(kTitle));
    return kExitFailed;
  }
  const embedded::ServerFolder server(*folder);
  options.product_version = server.ProductVersion();
  options.server_label = folder->filename().string();
  if (env.tds_test_hooks && !tds::ParseTestHooks(*env.tds_test_hooks, &options.hooks)) {
    ui.ShowMessage("KORVANE_TDS_TEST_HOOKS cannot be read: \"" + *env.tds_test_hooks + "\".",
                   MessageIcon::kExclamation, std::string(kTitle));
    return kExitFailed;
  }

  StopSignals signals;  // before any thread starts, so that all of them leave the signals here
  tds::TdsListener listener(*backend, options);
  std::string error;
  if (!listener.Start(&error)) {
    ui.ShowMessage(error, MessageIcon::kExclamation, std::string(kTitle));
    return kExitFailed;
  }
  out << listener.port() << std::endl;
  signals.Wait();
  listener.Stop();
  return kExitDone;
}

}  // namespace korvane
