// Quitting: at once, or politely by telling every client and waiting for the
// last one to leave.
#include "platform/exception.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/server_core.h"

namespace vantrel {
namespace {

// The longest quit message sent to clients.
constexpr size_t kQuitMessageLimit = 255;

constexpr const char* kQuitQuestion =
    "There are people connected to this server.  If you quit, they will be disconnected.  To "
    "disconnect them with a message, click \xD2Polite Quit\xD3.";
constexpr const char* kQuitMessagePrompt = "Quit message:";
enum QuitChoice : size_t { kPoliteQuit, kQuitNow, kCancel };

constexpr const char* kWaitingTitle = "Quitting";
constexpr const char* kWaitingText = "Waiting for clients to disconnect...";
enum WaitingChoice : size_t { kWaitingQuitNow, kWaitingCancel };

}  // namespace

void ServerCore::QuitRequest() {
  if (clients_.Empty() || !settings_.Option(kOptionConfirmQuit)) {
    Quit();
    return;
  }
  operator_.Choose("Quit", kQuitQuestion, {"Polite Quit", "Quit Now", "Cancel"},
                   [this](std::optional<size_t> choice) {
                     if (!choice || *choice == kCancel) return;
                     if (*choice == kQuitNow) {
                       Quit();
                       return;
                     }
                     operator_.AskText(kQuitMessagePrompt, [this](std::optional<std::string> text) {
                       if (text) PoliteQuit(*text);
                     });
                   });
}

void ServerCore::PoliteQuit(std::string_view message) {
  if (clients_.Empty()) {
    Quit();
    return;
  }
  shutting_down_ = true;
  if (message.empty()) {
    Quit();
    return;
  }
  UFieldData fields;
  fields.AddText(kFieldData, message.substr(0, kQuitMessageLimit));
  clients_.SendToAll(kTranServerQuitting, fields);
  operator_.Choose(kWaitingTitle, kWaitingText, {"Quit Now", "Cancel"},
                   [this](std::optional<size_t> choice) {
                     if (!shutting_down_ || !choice) return;
                     if (*choice == kWaitingQuitNow) {
                       Quit();
                     } else {
                       CancelPoliteQuit();
                     }
                   });
}

void ServerCore::Quit() {
  try {
    SaveSettings();
  } catch (const Omberly::CException&) {
    // Quitting goes on without the settings file.
  }
  if (quit_handler_) quit_handler_();
}

}  // namespace vantrel
