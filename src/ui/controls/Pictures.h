#pragma once
// The console's small pictures, drawn in code: the 16 x 16 button pictures on
// a white ground (white is the buttons' transparent colour) and the window
// icons. The 120 x 80 code-state pictures are files beside the program,
// written at build time by tools/ostiva-pictures.

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace ostiva {

class Pictures {
  public:
    // Button pictures by their resource number.
    enum ButtonPicture {
        Cross = 129,      // Cancel
        CheckMark = 131,  // Login, Save (settings), OK
        Connect = 136,
        Copy = 137,  // copy the customer URL
        Create = 138,
        Sheet = 139,  // Setting, Default
        Delete = 141,
        Exit = 143,
        Save = 145,
    };
    enum IconPicture {
        ApplicationIcon = 128,
        LoginIcon = 132,
        SettingIcon = 133,
    };
    static constexpr int kButtonSize = 16;

    // A 16 x 16 picture on white; a null image for an unknown number.
    static QImage Button(int id);

    // An icon drawn at `size` pixels on a transparent ground; null for an
    // unknown number.
    static QImage IconImage(int id, int size);
    // The icon at 16, 24, 32 and 48 pixels (needs the GUI application).
    static QIcon Icon(int id);
    static QPixmap IconPixmap(int id, int size);
};

}  // namespace ostiva
