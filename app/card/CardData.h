// clsYHK: the card data of one operation: the card files as hex text, the
// monitoring data, the operation's row id and serial, the amounts, and the
// per-record count lists of EF06 and EF09.
#pragma once

#include <QByteArray>
#include <QString>

namespace orv {

class CardData {
public:
    CardData() { Clear(); }

    QString ef02, ef04, ef06, ef09;
    QString ef01;  // 74-character monitoring records joined by "##"
    qint64 rID = -1;
    QString rSn;
    QString s1;
    QString nsrbm, dwmc;
    double xssr1 = 0, xssr2 = 0, xssr3 = 0, nsje = 0;
    // The declaration: user and business type from the last K4 reply, and
    // the period's amounts.
    QString yhlx, ywlx;
    double bqfse = 0, yshw = 0, ysfw = 0, bhs = 0;
    // Texts of the last server reply, shown by the wizard.
    QString statusText, resultText, replyData;
    QByteArray ef06Counts, ef09Counts;  // 256 entries each

    // Empties the texts, zeroes the numbers, rID -1, fresh count lists.
    void Clear();
    // s1 for the report: EF02 for lstep 1, else EF04 # EF06 # EF09.
    void joinS1(int lstep);
};

}  // namespace orv
