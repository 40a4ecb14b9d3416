#include "gui/FileDialog.h"

#include <QFileDialog>

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
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filters);
    dialog.setDefaultSuffix(defaultSuffix);
    // The overwrite prompt is on unless DontConfirmOverwrite is set.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
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
