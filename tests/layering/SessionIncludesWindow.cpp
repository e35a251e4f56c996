// A session file must not include a window: the session layer never sees ui/.
#include "ui/windows/CHelperDlg.h"
