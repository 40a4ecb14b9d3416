// frmReader: choosing the card reader. "USB" (the serial-mode reader) and
// the PC/SC readers are offered; "确定" applies the choice to the card
// access object, saves it and refreshes the status bar's reader pane.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

#include "base/Settings.h"

class QComboBox;

namespace orv {

class IniFile;

// The list's entries and the one selected at opening: the reader in use
// when the list holds it (so that "确定" on an untouched list keeps it),
// else the first Tianyu reader, else "USB".
struct ReaderChoices {
    QStringList entries;
    int selected = 0;
};
ReaderChoices readerChoices(const QStringList& pcscReaders, const QString& current = QString());

struct ReaderDialogHooks {
    ReaderLister readers;                           // the PC/SC reader names
    std::function<void(const QString&)> setReader;  // the card access object's
    std::function<void()> refreshStatus;            // ShowStatus(false)
};

class ReaderDialog : public QDialog {
    Q_OBJECT
public:
    ReaderDialog(SystemSettings& settings, IniFile& ini, ReaderDialogHooks hooks,
                 QWidget* parent = nullptr);

private:
    void apply();

    SystemSettings& settings_;
    IniFile& ini_;
    ReaderDialogHooks hooks_;
    QComboBox* cboReader_;
};

}  // namespace orv
