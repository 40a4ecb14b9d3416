#include "card/CardData.h"

namespace orv {

void CardData::Clear() {
    ef02.clear();
    ef04.clear();
    ef06.clear();
    ef09.clear();
    ef01.clear();
    rSn.clear();
    s1.clear();
    nsrbm.clear();
    dwmc.clear();
    yhlx.clear();
    ywlx.clear();
    statusText.clear();
    resultText.clear();
    replyData.clear();
    rID = -1;
    xssr1 = xssr2 = xssr3 = nsje = 0;
    bqfse = yshw = ysfw = bhs = 0;
    ef06Counts = QByteArray(256, '\0');
    ef09Counts = QByteArray(256, '\0');
}

void CardData::joinS1(int lstep) {
    s1 = lstep == 1 ? ef02 : ef04 + QLatin1Char('#') + ef06 + QLatin1Char('#') + ef09;
}

}  // namespace orv
