// The rules of the server settings: which address and port texts are
// valid, and what "保存" does with the texts typed.
#pragma once

#include <QString>

namespace orv {

struct SystemSettings;

// A dotted address: at least three dots, and each of the first four pieces
// a whole number from 0 to 255 with spaces around it allowed. Pieces after
// the fourth are not examined.
bool IsValidIP(const QString& text);
// The text as a 32-bit integer (decimals rounded half to even, as the
// settings conversion does) from 1 to 65535.
bool IsValidPort(const QString& text);

enum class ServerSave {
    Unchanged,  // close without validating or writing
    Invalid,    // tell the user, keep the dialog open
    Save,       // take the values, write them, close
};
// `ip` and `port` as typed; the decision uses them trimmed of spaces.
ServerSave decideServerSave(const QString& ip, const QString& port, const SystemSettings& saved);

}  // namespace orv
