#pragma once
// One main window with everything it is given recorded, for the main
// window's test programs.

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <memory>

#include "HelperDlgFakes.h"
#include "settings/Profile.h"
#include "ui/windows/CHelperDlg.h"
#include "ui/windows/CodeListWidget.h"

namespace ostiva::test {

inline QApplication& App() {
    return *static_cast<QApplication*>(QCoreApplication::instance());
}

inline wire::CodeStatus Status(int32_t code, AccessCodeState state) {
    wire::CodeStatus status;
    status.code = code;
    status.state = static_cast<uint16_t>(state);
    if (state == AccessCodeState::Connected) {
        status.connectionNumber = 77;
        status.firstAddress = u"10.0.0.5";
        status.secondAddress = u"203.0.113.9";
        status.timeText = u"2024-05-06 07:08:09";
        status.osCode = 14;
    }
    return status;
}

inline ConsoleAccount Account() {
    ConsoleAccount account;
    account.companyName = u"Example Co";
    account.helperId = u"alice";
    account.helperName = u"Alice";
    account.expiryDate = u"2099-12-31";
    account.customerUrl = u"http://example.test/c";
    account.linkUrl1 = u"http://links.test/one";
    account.linkUrl2 = u"http://links.test/two";
    account.todayConnections = 4;
    return account;
}

// One main window with everything it is given recorded.
struct Fixture {
    ProgramDir program;
    QTemporaryDir work;
    FakeCommands commands;
    FakeLauncher launcher;
    ScriptedPrompt prompt;
    FakeServices services;
    std::unique_ptr<CHelperDlg> window;

    explicit Fixture(const ConsoleAccount& account = Account(), bool show = true) {
        CHelperDlg::Environment environment{
            commands, launcher, Settings(Profile(InfoPath().toStdString())), program.Dir()};
        environment.prompt = &prompt;
        environment.services = &services;
        window = std::make_unique<CHelperDlg>(std::move(environment));
        window->Open(account);
        if (show) {
            window->show();
            if (!QTest::qWaitForWindowExposed(window.get())) qWarning("window not exposed");
        }
    }
    QString InfoPath() const { return work.path() + QStringLiteral("/info.dat"); }
    CodeListWidget* List() const { return window->CodeList(); }
    QWidget* Control(int id) const { return window->Control(id); }
    bool Enabled(int command) const { return window->MenuCommand(command)->isEnabled(); }

    // Codes newest first: the last one given ends up at position 0.
    void AddCodes(std::initializer_list<int32_t> codes) {
        for (int32_t code : codes) window->OnCodeCreated(code);
    }
    void ClickItem(int row) const {
        const QRect rect = List()->visualRect(List()->model()->index(row, 0));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void ClickEmptySpace() const {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                          List()->viewport()->rect().bottomRight() - QPoint(3, 3));
    }
    // What a popup shows once it is about to open.
    QStringList PopupItems(int position) const {
        QMenu* menu = window->MenuBar()->actions().at(position)->menu();
        Q_EMIT menu->aboutToShow();
        QStringList texts;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator()) texts << action->text();
        }
        return texts;
    }
};

}  // namespace ostiva::test
