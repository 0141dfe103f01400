#include "files/request_item.h"

#include "protocol/error_reply.h"
#include "protocol/field_ids.h"
#include "protocol/field_text.h"
#include "server/client_session.h"

namespace vantrel {

std::string_view RequestItemName(const Request& request) {
  return FieldText(request.fields, kFieldFileName, kMaxItemNameField);
}

RequestedItem ResolveRequestedItem(const FileTree& tree, const Request& request, unsigned flags) {
  RequestedItem requested{tree.SessionRoot(request.client.login), RequestItemName(request), {}};
  requested.item =
      tree.Resolve(requested.root, request.fields.Data(kFieldFilePath), requested.name, flags);
  return requested;
}

bool HasKindPrivilege(Request& request, ItemKind kind, const KindPrivilege& rule) {
  const bool folder = CountsAsFolder(kind);
  if (request.client.privileges.Test(folder ? rule.folder_bit : rule.file_bit)) return true;
  SendErrorReply(request.transaction, folder ? rule.folder_refusal : rule.file_refusal);
  return false;
}

}  // namespace vantrel
