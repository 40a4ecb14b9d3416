#include "dialogs/AboutDialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "base/AppLog.h"
#include "base/Deployment.h"
#include "base/Version.h"
#include "gui/Desktop.h"

// Pictures compiled into a static library register by hand, outside any
// namespace as the macro requires.
static void initAboutResources() {
    Q_INIT_RESOURCE(dialogs);
}

namespace orv {

namespace {
QLabel* label(const char* name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    return l;
}

// A picture that opens a web site when clicked.
QToolButton* picture(const char* name, const QString& file, QSize size,
                     const QString& accessibleName, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(QIcon(file));
    b->setIconSize(size);
    b->setAutoRaise(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setAccessibleName(accessibleName);
    b->setToolTip(accessibleName);
    return b;
}
}  // namespace

QString AboutDialog::versionText() {
    return QStringLiteral("Orvane\nV") + AppLog::version();
}

QString AboutDialog::disclaimerText() {
    return QString::fromUtf8(deployment::kAboutNotice) + QStringLiteral("\n\n") +
           QString::fromUtf8(deployment::kAboutAuthority);
}

AboutDialog::AboutDialog(DesktopActions& desktop, std::function<SystemInfoProgram()> findSysInfo,
                         QWidget* parent)
    : QDialog(parent), desktop_(desktop), findSysInfo_(std::move(findSysInfo)) {
    initAboutResources();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于 Orvane"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* image1 = picture("Image1", QStringLiteral(":/orv/about/orvane.svg"), QSize(64, 64),
                           QStringLiteral("Orvane 网站"), this);
    auto* picture1 = picture("Picture1", QStringLiteral(":/orv/about/vendor.svg"), QSize(96, 64),
                             QStringLiteral("服务商网站"), this);
    const auto open = [this](const char* site) { desktop_.openUrl(QUrl(QString::fromUtf8(site))); };
    connect(image1, &QToolButton::clicked, this, [open] { open(deployment::kProductSite); });
    connect(picture1, &QToolButton::clicked, this, [open] { open(deployment::kVendorSite); });

    // The title's design text carries major and minor of the version.
    const ProgramVersion v = programVersion();
    auto* lblTitle =
        label("lblTitle", QStringLiteral("Orvane V%1.%2").arg(v.major).arg(v.minor), this);
    QFont title = lblTitle->font();
    // The face named for the title first, then the Kai faces a system may
    // have under other names.
    title.setFamilies({QStringLiteral("楷体_GB2312"), QStringLiteral("KaiTi_GB2312"),
                       QStringLiteral("KaiTi"), QStringLiteral("AR PL UKai CN"),
                       QStringLiteral("AR PL UKai"), title.family()});
    title.setPointSize(title.pointSize() * 2);
    title.setBold(true);
    lblTitle->setFont(title);
    auto* lblVersion = label("lblVersion", versionText(), this);
    auto* lblDescription =
        label("lblDescription", QString::fromUtf8(deployment::kAboutDescription), this);
    auto* line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    auto* lblDisclaimer = label("lblDisclaimer", disclaimerText(), this);

    auto* cmdOK = new QPushButton(QStringLiteral("确定"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto* cmdSysInfo = new QPushButton(QStringLiteral("系统信息"), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &AboutDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] {
        StartSysInfo(this, desktop_, findSysInfo_ ? findSysInfo_() : SystemInfoProgram{});
    });

    auto* grid = new QGridLayout;
    grid->addWidget(image1, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    grid->setColumnStretch(1, 1);
    auto* bottom = new QGridLayout;
    bottom->addWidget(picture1, 0, 0, 2, 1, Qt::AlignTop);
    bottom->addWidget(lblDisclaimer, 0, 1, 2, 1);
    bottom->addWidget(cmdOK, 0, 2);
    bottom->addWidget(cmdSysInfo, 1, 2, Qt::AlignTop);
    bottom->setColumnStretch(1, 1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addWidget(line1);
    top->addLayout(bottom);
    // The texts wrap at this width rather than widen the box.
    setFixedWidth(560);
}

}  // namespace orv
