// Every message box of the program goes through here. A test switches the
// seam to answering mode: nothing is shown, each box is recorded and given
// the answer the test queued (OK when none was queued).
#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace orv {

class MessageBox {
public:
    enum class Icon { Information, Exclamation, Critical, Question, None };
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Answer { Ok, Cancel, Yes, No };

    // A modal box with the caption, the text, the icon and the buttons; the
    // button the user pressed (closing the box counts as Cancel or No).
    static Answer show(QWidget* parent, const QString& text, const QString& caption, Icon icon,
                       Buttons buttons = Buttons::Ok);

    struct Shown {
        QString text, caption;
        Icon icon;
        Buttons buttons;
    };
    // Test seam. While answering, show() records the box and returns the
    // next queued answer (Ok, or Yes for a Yes/No box, when none is queued).
    static void setAnswering(bool on);
    static void setNextAnswer(Answer a);
    static QList<Shown> takeShown();
};

}  // namespace orv
