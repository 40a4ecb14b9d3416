#include "gui/MessageBox.h"

#include <QMessageBox>

namespace orv {

namespace {
bool g_answering = false;
QList<MessageBox::Answer> g_answers;
QList<MessageBox::Shown> g_shown;

QMessageBox::Icon qtIcon(MessageBox::Icon icon) {
    switch (icon) {
        case MessageBox::Icon::Information:
            return QMessageBox::Information;
        case MessageBox::Icon::Exclamation:
            return QMessageBox::Warning;
        case MessageBox::Icon::Critical:
            return QMessageBox::Critical;
        case MessageBox::Icon::Question:
            return QMessageBox::Question;
        case MessageBox::Icon::None:
            return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(MessageBox::Buttons b) {
    switch (b) {
        case MessageBox::Buttons::Ok:
            return QMessageBox::Ok;
        case MessageBox::Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageBox::Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
    }
    return QMessageBox::Ok;
}
}  // namespace

MessageBox::Answer MessageBox::show(QWidget* parent, const QString& text, const QString& caption,
                                    Icon icon, Buttons buttons) {
    if (g_answering) {
        g_shown << Shown{text, caption, icon, buttons};
        if (!g_answers.isEmpty()) return g_answers.takeFirst();
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    QMessageBox box(qtIcon(icon), caption, text, qtButtons(buttons), parent);
    // Texts carry file names, server and driver messages: never markup.
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

void MessageBox::setAnswering(bool on) {
    g_answering = on;
    g_answers.clear();
    g_shown.clear();
}

void MessageBox::setNextAnswer(Answer a) {
    g_answers << a;
}

QList<MessageBox::Shown> MessageBox::takeShown() {
    QList<Shown> out;
    out.swap(g_shown);
    return out;
}

}  // namespace orv
