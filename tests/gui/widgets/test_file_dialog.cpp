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
    void dialogsListWithoutReading_data();
    void dialogsListWithoutReading();
    void typeComesFromTheName();
};

void FileDialogTest::dialogsListWithoutReading_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("Open") << false;
    QTest::newRow("Save as") << true;
}

void FileDialogTest::dialogsListWithoutReading()
{
    QFETCH(bool, save);
    QTemporaryDir dir;
    bool checked = false;
    QTimer::singleShot(0, this, [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QFileDialog *>(w); dialog && dialog->isVisible()) {
                checked = dynamic_cast<NameOnlyIconProvider *>(dialog->iconProvider()) != nullptr;
                dialog->reject();
            }
    });
    QtFileDialog files;
    const QString filter = QStringLiteral("Log Files (*.log)|*.log");
    const QString name = dir.filePath(QStringLiteral("x.log"));
    QVERIFY((save ? files.showSave(filter, 1, name) : files.showOpen(filter, 1, name)).isEmpty());
    QVERIFY(checked);
}

void FileDialogTest::typeComesFromTheName()
{
    QTemporaryDir dir;
    // No suffix: Qt then goes by the content (as for /proc/kmsg).
    QFile file(dir.filePath(QStringLiteral("program")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n");
    file.close();
    const QFileInfo info(file.fileName());
    const NameOnlyIconProvider icons;
    const QMimeDatabase types;
    QCOMPARE(icons.type(info), types.mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment());
    // Where the type database tells the content apart, Qt's own provider
    // read the file.
    if (types.mimeTypeForFile(info, QMimeDatabase::MatchContent).name() == QLatin1String("application/pdf"))
        QVERIFY(QFileIconProvider().type(info) != icons.type(info));
    QVERIFY(!icons.icon(info).isNull());
    QCOMPARE(icons.type(QFileInfo(dir.path())), QFileIconProvider().type(QFileInfo(dir.path())));
}

QTEST_MAIN(FileDialogTest)
#include "test_file_dialog.moc"
