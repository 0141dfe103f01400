#include "client/login.h"

#include "client/text_capacity.h"
#include "platform/mac_roman.h"
#include "protocol/field_data.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"

namespace vantrel::client {
LoginResult LogIn(ServerConnection& server, const Identity& identity,
                  const AgreementAnswer& agree) {
  LoginResult result;
  UFieldData login;
  login.AddText(kFieldUserLogin, Scramble(identity.login));
  login.AddText(kFieldPassword, Scramble(identity.password));
  login.AddInteger(kFieldVersion, kClientVersion);
  const auto reply = server.Call(kTranLogin, login);
  if (!reply || reply->IsError()) {
    result.error = server.Refusal(reply);
    return result;
  }
  result.server_name = MacRomanToUtf8(reply->fields.ReadText(kFieldServerName, kNameCapacity));

  const auto agreement = server.WaitFor(kTranShowAgreement);
  if (!agreement) {
    result.error = server.Failure();
    return result;
  }
  if (agreement->fields.Find(kFieldData) != 0 &&
      !agree(MacRomanToOperatorText(agreement->fields.ReadText(kFieldData, kTextCapacity)))) {
    result.error = "The agreement was not accepted.";
    return result;
  }

  UFieldData agreed;
  agreed.AddText(kFieldNickname, identity.nickname);
  agreed.AddInteger(kFieldIcon, static_cast<uint16_t>(identity.icon));
  agreed.AddInteger(kFieldOptions, 0);
  const auto answer = server.Call(kTranAgreed, agreed);
  if (!answer || answer->IsError()) {
    result.error = server.Refusal(answer);
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace vantrel::client
