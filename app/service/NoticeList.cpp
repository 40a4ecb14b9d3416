#include "service/NoticeList.h"

namespace orv {

void NoticeList::add(const QString& text) {
    texts_ << text;
    if (shown_ == 0) shown_ = 1;
}

QString NoticeList::counter() const {
    return QStringLiteral("%1 / %2").arg(shown_).arg(count());
}

bool NoticeList::previous() {
    if (shown_ < 2) return false;
    --shown_;
    return true;
}

bool NoticeList::next() {
    if (shown_ >= count()) return false;
    ++shown_;
    return true;
}

NoticeList::Click NoticeList::click() {
    if (count() < 2 || !next()) return Click::Close;
    return Click::Advanced;
}

}  // namespace orv
