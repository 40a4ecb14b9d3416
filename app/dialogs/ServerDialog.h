// frmServer: the tax-service server's address and port, the connection
// test, and saving both to the settings file.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orv {

class AppLog;
class ConnectionTest;
class IniFile;
struct SystemSettings;

class ServerDialog : public QDialog {
    Q_OBJECT
public:
    // `log`, when given, keeps the system's text of a failed test.
    ServerDialog(SystemSettings& settings, IniFile& ini, QWidget* parent = nullptr,
                 AppLog* log = nullptr);
    ~ServerDialog() override;

    void done(int result) override;

private:
    void test();
    void save();
    void invalidInput();

    SystemSettings& settings_;
    IniFile& ini_;
    AppLog* log_;
    QLineEdit* txtIP_;
    QLineEdit* txtPort_;
    QLabel* lblInfo_;
    QPushButton* cmdTest_;
    ConnectionTest* sockTest_;
};

}  // namespace orv
