// The notices of the notice window and which one is shown: the window's
// navigation rules without the window.
#pragma once

#include <QString>
#include <QStringList>

namespace orv {

class NoticeList {
public:
    // Appends a notice; the first one becomes the one shown.
    void add(const QString& text);

    int count() const { return static_cast<int>(texts_.size()); }
    int shown() const { return shown_; }  // 1-based; 0 while empty
    QString current() const { return shown_ ? texts_[shown_ - 1] : QString(); }
    // The page counter: "2 / 3".
    QString counter() const;
    // PREV and NEXT only show a page more or less once there is more than one.
    bool paged() const { return count() >= 2; }

    // True when the notice shown changed.
    bool previous();
    bool next();
    // A click on the text: shows the next notice, or asks to close (after the
    // last one, or when there is only one).
    enum class Click { Advanced, Close };
    Click click();

private:
    QStringList texts_;
    int shown_ = 0;
};

}  // namespace orv
