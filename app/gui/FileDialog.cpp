#include "gui/FileDialog.h"

#include <QFileDialog>
#include <QRegularExpression>

#include "gui/FileDialogPlatform.h"

namespace orv {

namespace {
bool g_answering = false;
QList<std::optional<QString>> g_answers;
QList<FileDialog::Shown> g_shown;
}  // namespace

std::optional<QString> FileDialog::getSaveFileName(QWidget* parent, const QString& filters,
                                                   const QString& defaultSuffix) {
    if (g_answering) {
        g_shown << Shown{filters, defaultSuffix};
        return g_answers.isEmpty() ? std::nullopt : g_answers.takeFirst();
    }
    QFileDialog dialog(parent);
    prepareSave(dialog, filters, defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void FileDialog::prepareSave(QFileDialog& dialog, const QString& filters,
                             const QString& defaultSuffix) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A desktop's dialog that asks about overwriting the name as typed,
    // before the suffix is added, would replace "name.csv" unasked: Qt's
    // own adds the suffix first.
    if (!platform::nativeSaveDialogAddsSuffixFirst())
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setNameFilter(filters);
    dialog.setDefaultSuffix(defaultSuffix);
    // The overwrite prompt is on unless DontConfirmOverwrite is set.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    // The format follows the name, so a bare name takes the chosen
    // filter's suffix, not the first filter's.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) {
                         const QString suffix = suffixOf(filter);
                         if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
                     });
}

QString FileDialog::suffixOf(const QString& filter) {
    static const QRegularExpression one(QStringLiteral("\\(\\*\\.([^()*.\\s;]+)\\)\\s*$"));
    const QRegularExpressionMatch m = one.match(filter);
    return m.hasMatch() ? m.captured(1) : QString();
}

void FileDialog::setAnswering(bool on) {
    g_answering = on;
    g_answers.clear();
    g_shown.clear();
}

void FileDialog::setNextFileName(std::optional<QString> name) {
    g_answers << std::move(name);
}

QList<FileDialog::Shown> FileDialog::takeShown() {
    QList<Shown> out;
    out.swap(g_shown);
    return out;
}

}  // namespace orv
