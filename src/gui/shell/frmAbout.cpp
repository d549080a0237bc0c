// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/shell/frmAbout.h"

#include "Version.h"
#include "domain/ui/AppTitle.h"
#include "gui/shell/AppIcon.h"
#include "gui/widgets/Twips.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

QString versionText(int major, int minor, int revision)
{
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

QString programVersionText()
{
    return versionText(Version::Major, Version::Minor, Version::Revision);
}

namespace {
QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(true);
    setDesignGeometry(l, left, top, width, height);
    return l;
}

// One line of the etched rule, from x1 to x2 at y (twips), thickness in pixels.
QFrame *ruleLine(QWidget *parent, const char *name, int x1, int x2, int y, int thickness,
                 QPalette::ColorRole role)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    line->setBackgroundRole(role);
    line->setGeometry(twipsToPixels(x1), twipsToPixels(y), twipsToPixels(x2) - twipsToPixels(x1), thickness);
    return line;
}
} // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setFont(designFont(font()));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFixedSize(twipsToPixels(5730), twipsToPixels(3690));

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picIcon->setPixmap(appIconPixmap32());
    setDesignGeometry(picIcon, 240, 240, 540, 540);

    lblTitle = label(this, "lblTitle", QString(), 1050, 240, 3885, 480);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    lblTitle->setFont(titleFont);
    lblVersion = label(this, "lblVersion", QString(), 1050, 780, 3885, 225);
    lblDescription = label(this, "lblDescription", QStringLiteral("App Description"), 1050, 1125, 3885, 1170);

    Line1_0 = ruleLine(this, "Line1_0", 90, 5654, 2445, 1, QPalette::Mid);
    Line1_1 = ruleLine(this, "Line1_1", 105, 5654, 2460, 2, QPalette::Light);

    lblDisclaimer = label(this, "lblDisclaimer", QStringLiteral("Warning: ..."), 255, 2625, 3870, 825);

    // System Info has no action; OK is placed over it, so it is not shown.
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setAutoDefault(false);
    setDesignGeometry(cmdSysInfo, 4260, 3075, 1245, 345);
    cmdSysInfo->hide();

    // OK is the default button (Enter); Esc rejects the dialog, which closes it too.
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    setDesignGeometry(cmdOK, 4245, 3120, 1260, 345);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });

    Form_Load();
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + AppTitle);
    setWindowIcon(appIcon());
    lblVersion->setText(programVersionText());
    lblTitle->setText(AppTitle);
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::cmdSysInfo_Click() {}
