#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "protocol/field_data.h"
#include "protocol/transaction_session.h"

namespace vantrel {

struct ClientSession;

// What a handler is given for one request: the client that sent it, the request
// (to answer through) and its fields. `now` is the pass's clock reading. Anything
// else a handler uses comes from the capability that registered it. Handlers may
// disconnect clients and request a pass; they never remove a client from the list.
struct Request {
  ClientSession& client;
  TransactionHandle& transaction;
  UFieldData& fields;
  uint32_t now;
};

using Handler = std::function<void(Request& request)>;

// Maps transaction types to handlers, one table for clients that have logged in
// and one for those that have not. Types without a handler get the unknown-type
// answer, and before the login the connection is closed instead. Filled once by
// the capabilities as they are registered; core thread only.
class DispatchTable {
 public:
  // The highest transaction type a handler can be registered for.
  static constexpr uint16_t kMaxType = 511;

  // A handler for clients that have logged in. REQUIRES: type <= kMaxType.
  void Register(uint16_t type, Handler handler);
  // A handler for clients that have not logged in yet. REQUIRES: type <= kMaxType.
  void RegisterBeforeLogin(uint16_t type, Handler handler);

  // `function(services, request)` as the handler of `type`, with `services`
  // (which must outlive the table) bound to it.
  template <typename Services>
  void Register(uint16_t type, void (*function)(Services&, Request&), Services& services) {
    Register(type, [function, &services](Request& request) { function(services, request); });
  }

  // The handler for `type` in the table of logged-in clients or of the others;
  // null when there is none.
  const Handler* Find(uint16_t type, bool logged_in) const;

 private:
  std::array<Handler, kMaxType + 1> logged_in_;
  std::array<Handler, kMaxType + 1> before_login_;
};

}  // namespace vantrel
