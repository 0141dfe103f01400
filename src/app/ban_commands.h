#pragma once

#include <ostream>
#include <string_view>

namespace vantrel {

class CMyApplication;

// The operator's "ban" command, the console's form of the options window's ban
// tab. Each form reads "Banned" afresh (removed entries included) and, when it
// changes the list, saves it whole and disconnects the users it now bans:
//   ban list                 the entries, numbered from 1, with their range,
//                            date and info (entries not in force marked);
//   ban add RANGE [INFO]     appends an entry in force (RANGE as
//                            a.b.c.d, a.b.c.d/n, a.b.c.d+n or a.b.c.d-e.f.g.h);
//   ban remove N             takes entry N off the list.
// `arguments` is what follows "ban" (UTF-8); what it prints goes to `out` (UTF-8).
// A failure to save is printed, not raised.
void BanCommand(CMyApplication& server, std::ostream& out, std::string_view arguments);

}  // namespace vantrel
