// Every file dialog of the program goes through here. A test switches the
// seam to answering mode: nothing is shown, each dialog is recorded and
// answered with the file name the test queued (cancel when none was).
#pragma once

#include <QList>
#include <QString>
#include <optional>

class QFileDialog;
class QWidget;

namespace orv {

class FileDialog {
public:
    // The save dialog with `filters` as Qt writes them ("Excel文件 (*.xls)",
    // several joined by ";;"), the first one selected, `defaultSuffix`
    // added to a name typed without one until the user picks another
    // filter (then that filter's suffix), and a prompt before an existing
    // file is overwritten. The chosen path, or nothing on cancel.
    static std::optional<QString> getSaveFileName(QWidget* parent, const QString& filters,
                                                  const QString& defaultSuffix);
    // Sets `dialog` up as getSaveFileName() shows it.
    static void prepareSave(QFileDialog& dialog, const QString& filters,
                            const QString& defaultSuffix);
    // The suffix of a filter as Qt writes it: "csv" for "CSV (*.csv)";
    // empty for none or several.
    static QString suffixOf(const QString& filter);

    struct Shown {
        QString filters, defaultSuffix;
    };
    // Test seam. While answering, getSaveFileName() records the dialog and
    // returns the next queued answer; an empty queue or a queued nullopt
    // is a cancel.
    static void setAnswering(bool on);
    static void setNextFileName(std::optional<QString> name);
    static QList<Shown> takeShown();
};

}  // namespace orv
