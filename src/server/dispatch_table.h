#pragma once

#include <array>
#include <cstdint>

#include "protocol/field_data.h"
#include "protocol/transaction_session.h"

namespace vantrel {

class CMyApplication;
struct ClientSession;

// What a handler is given for one request: the server, the client that sent it,
// the request (to answer through) and its fields. `now` is the pass's clock
// reading. Handlers may disconnect clients and request a pass; they never remove
// a client from the list.
struct Request {
  CMyApplication& server;
  ClientSession& client;
  TransactionHandle& transaction;
  UFieldData& fields;
  uint32_t now;
};

using Handler = void (*)(Request& request);

// Maps transaction types to handlers. Types without a handler get the
// unknown-type answer. Filled once at start-up by each capability.
class DispatchTable {
 public:
  // The highest transaction type a handler can be registered for.
  static constexpr uint16_t kMaxType = 511;

  // REQUIRES: type <= kMaxType.
  void Register(uint16_t type, Handler handler);
  // The handler for `type`, or null.
  Handler Find(uint16_t type) const { return type <= kMaxType ? handlers_[type] : nullptr; }

 private:
  std::array<Handler, kMaxType + 1> handlers_{};
};

}  // namespace vantrel
