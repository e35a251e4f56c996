#pragma once
// The about box: the application icon, "helper, Version 1.0" and OK.

#include <QDialog>

namespace ostiva {

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace ostiva
