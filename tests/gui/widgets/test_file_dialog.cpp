// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The file dialog learns a file's type from its name: it never reads a
// file to list it, as a file with nothing to read yet would hold the
// window.
#include "gui/widgets/NameOnlyIconProvider.h"
#include "gui/widgets/QtFileDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class FileDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void dialogListsWithoutReading();
    void typeComesFromTheName();
};

void FileDialogTest::dialogListsWithoutReading()
{
    QTemporaryDir dir;
    bool checked = false;
    QTimer::singleShot(0, this, [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QFileDialog *>(w); dialog && dialog->isVisible()) {
                checked = dynamic_cast<NameOnlyIconProvider *>(dialog->iconProvider()) != nullptr;
                dialog->reject();
            }
    });
    // Open and Save as show the same dialog.
    QVERIFY(
        QtFileDialog().showOpen(QStringLiteral("Log Files (*.log)|*.log"), 1, dir.filePath("x.log")).isEmpty());
    QVERIFY(checked);
}

void FileDialogTest::typeComesFromTheName()
{
    QTemporaryDir dir;
    // No suffix: Qt's own provider goes by the content (as for /proc/kmsg).
    QFile file(dir.filePath(QStringLiteral("program")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n");
    file.close();
    const QFileInfo info(file.fileName());
    const QMimeType content = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchContent);
    if (content.name() != QLatin1String("application/pdf"))
        QSKIP("the type database cannot tell a PDF by its content");
    QVERIFY(NameOnlyIconProvider().type(info) != content.comment());
}

QTEST_MAIN(FileDialogTest)
#include "test_file_dialog.moc"
