#pragma once
// The working directories beside the program, prepared when the main window
// opens: "imgs" (where the viewers put the connected codes' pictures) is made
// and emptied, "capture", "record" and "chat" are made for the viewers.
//
// None of them is ever reached through a symbolic link: a link standing in
// the place of one is removed (what it points to is left alone) and a real
// directory is made instead, so the console never empties, and the viewers
// never write into, a folder somebody pointed the name at.
// Every other failure is ignored: a missing directory only means a missing
// picture.

#include <string_view>

namespace ostiva {

// Makes "<dir>/imgs", empties it, then makes "<dir>/capture", "<dir>/record"
// and "<dir>/chat". Existing directories and their contents are kept.
void PrepareWorkDirectories(std::u16string_view programDir);

// Deletes every file directly in `directory`. Subdirectories (and whatever
// they hold) stay; a symbolic link inside is removed, never followed, and a
// `directory` that is itself a symbolic link is not opened at all.
void ClearImageDir(std::u16string_view directory);

}  // namespace ostiva
