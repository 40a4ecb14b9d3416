// frmMsg, "ZEL 消息": a small notice window that slides up into the bottom
// right corner of the screen's work area and pages through its notices.
// Controls: lblMsg (the notice; a click advances or closes), txtInfo (the
// page counter), msgTB (PREV and NEXT), Timer1 (the slide-in).
#pragma once

#include <QWidget>

#include "service/NoticeList.h"

class QLabel;
class QLineEdit;
class QTimer;
class QToolBar;

namespace orv {

class MsgWindow : public QWidget {
    Q_OBJECT
public:
    explicit MsgWindow(QWidget* parent = nullptr);

    void AddMsg(const QString& text);
    const NoticeList& notices() const { return notices_; }

    // The slide-in: every `intervalMs` the window moves up `step` pixels
    // (about 100 twips) until it stands on the work area's bottom edge.
    void setSlide(int intervalMs, int step);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void layoutControls();
    void slide();

    NoticeList notices_;
    QLabel* lblMsg_;
    QLineEdit* txtInfo_;
    QToolBar* msgTB_;
    QTimer* timer1_;
    int step_ = 7;
    int workBottom_ = 0;
    bool loaded_ = false;
};

}  // namespace orv
