// SPDX-License-Identifier: GPL-3.0-or-later
// The drive tree and the Select Drives dialog, driven with real mouse clicks
// and keys, against the real settings store.
#include "core/CommandIds.h"
#include "app/ModalSeam.h"
#include "prefs/CDriveTree.h"
#include "prefs/CSelectDrives.h"
#include "prefs/Settings.h"
#include "tests/TestSupport.h"

#include <QDialogButtonBox>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace tw;

namespace {

class DriveTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ClearSettings();
        drives.roots = {{'C', "/"}, {'D', "/home"}, {'F', "/media/ann/USB STICK"}};
    }
    void TearDown() override { SetModalHook({}); }

    // Shown, so that rows have their real geometry.
    void Show(QWidget& w)
    {
        w.resize(320, 240);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }

    static QTreeWidgetItem* ItemOf(CDriveTree& tree, char letter)
    {
        for (int i = 0; i < tree.topLevelItemCount(); ++i)
            if (tree.topLevelItem(i)->data(0, Qt::UserRole).toInt() == letter)
                return tree.topLevelItem(i);
        return nullptr;
    }

    // A click near the right end of the row, far from the text and the box.
    static void ClickRow(CDriveTree& tree, char letter)
    {
        const QRect row = tree.visualItemRect(ItemOf(tree, letter));
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(tree.viewport()->width() - 3, row.center().y()));
    }

    static std::string Drives2() { return CSettings::Read(Setting::Drives2); }

    test::FakeDriveTable drives;
};

} // namespace

TEST_F(DriveTreeTest, FillListsLettersWithMountPointsAndMarksByPlainSearch)
{
    CDriveTree tree;
    tree.Fill(QStringLiteral("C!F!"), drives);
    ASSERT_EQ(tree.topLevelItemCount(), 3);
    EXPECT_EQ(tree.topLevelItem(0)->text(0), QStringLiteral("C: /"));
    EXPECT_EQ(tree.topLevelItem(1)->text(0), QStringLiteral("D: /home"));
    EXPECT_EQ(tree.topLevelItem(2)->text(0), QStringLiteral("F: /media/ann/USB STICK"));
    EXPECT_EQ(tree.topLevelItem(2)->data(0, Qt::UserRole).toInt(), 'F');
    EXPECT_TRUE(tree.IsMarked('C'));
    EXPECT_FALSE(tree.IsMarked('D'));
    EXPECT_TRUE(tree.IsMarked('F'));
    EXPECT_EQ(tree.Collect(), QStringLiteral("C!F!"));

    // The letter anywhere in the text counts, in upper case only.
    const std::vector<std::pair<QString, QString>> cases = {
        {QStringLiteral("xDx"), QStringLiteral("D!")},
        {QStringLiteral("c!d!f!"), QString()},
        {QStringLiteral("F!C"), QStringLiteral("C!F!")},  // tree order, not stored order
        {QStringLiteral("C!Q!"), QStringLiteral("C!")},   // Q is not mounted: it drops out
        {QString(), QString()},
    };
    for (const auto& [stored, collected] : cases) {
        tree.Fill(stored, drives);
        EXPECT_EQ(tree.topLevelItemCount(), 3) << stored.toStdString();
        EXPECT_EQ(tree.Collect(), collected) << stored.toStdString();
    }
}

TEST_F(DriveTreeTest, TheMarkIsTheIconCutFromTheStripWithMagentaTransparent)
{
    const QImage strip = QImage(QStringLiteral(":/res/drives.png")).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(strip.size(), QSize(32, 16));
    CDriveTree tree;
    tree.Fill(QStringLiteral("D!"), drives);
    for (const char letter : {'C', 'D'}) {
        const int index = letter == 'D' ? 1 : 0;
        const QImage icon = ItemOf(tree, letter)->icon(0).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(icon.size(), QSize(16, 16));
        int transparent = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb source = strip.pixel(index * 16 + x, y);
                const QRgb shown = icon.pixel(x, y);
                if ((source & 0xffffff) == 0xff00ff) {
                    EXPECT_EQ(qAlpha(shown), 0) << x << "," << y;
                    ++transparent;
                } else {
                    EXPECT_EQ(shown & 0xffffff, source & 0xffffff) << x << "," << y;
                }
            }
        EXPECT_GT(transparent, 0);
    }
    // Ticked and empty boxes differ.
    EXPECT_NE(strip.copy(0, 0, 16, 16), strip.copy(16, 0, 16, 16));
}

TEST_F(DriveTreeTest, AClickAnywhereOnARowFlipsItsMarkAndSelectsIt)
{
    CDriveTree tree;
    tree.Fill(QStringLiteral("C!"), drives);
    Show(tree);

    ClickRow(tree, 'D');
    EXPECT_TRUE(tree.IsMarked('D'));
    EXPECT_EQ(tree.currentItem(), ItemOf(tree, 'D'));
    EXPECT_TRUE(ItemOf(tree, 'D')->isSelected());
    EXPECT_EQ(tree.Collect(), QStringLiteral("C!D!"));

    ClickRow(tree, 'C');
    EXPECT_EQ(tree.Collect(), QStringLiteral("D!"));
    ClickRow(tree, 'C');
    EXPECT_EQ(tree.Collect(), QStringLiteral("C!D!"));

    // On the box itself, at the left edge.
    const QRect row = tree.visualItemRect(ItemOf(tree, 'F'));
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(row.left() + 4, row.center().y()));
    EXPECT_EQ(tree.Collect(), QStringLiteral("C!D!F!"));

    // Below the last item, and with the right button: nothing changes.
    const QPoint below(20, row.bottom() + 20);
    ASSERT_LT(below.y(), tree.viewport()->height());
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, below);
    tree.ToggleAt(below);
    ClickRow(tree, 'D');
    ClickRow(tree, 'D');
    QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, QPoint(20, row.center().y()));
    EXPECT_EQ(tree.Collect(), QStringLiteral("C!D!F!"));

    // A double click is two clicks, as on the real thing.
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, QPoint(20, row.center().y()));
    EXPECT_EQ(tree.Collect(), QStringLiteral("C!D!F!"));
}

TEST_F(DriveTreeTest, SpaceFlipsTheCurrentDrive)
{
    CDriveTree tree;
    tree.Fill(QString(), drives);
    Show(tree);
    tree.setFocus();
    tree.setCurrentItem(ItemOf(tree, 'C'));
    QTest::keyClick(&tree, Qt::Key_Space);
    QTest::keyClick(&tree, Qt::Key_Down);
    QTest::keyClick(&tree, Qt::Key_Down);
    QTest::keyClick(&tree, Qt::Key_Space);
    EXPECT_EQ(tree.Collect(), QStringLiteral("C!F!"));
    QTest::keyClick(&tree, Qt::Key_Space);
    EXPECT_EQ(tree.Collect(), QStringLiteral("C!"));
}

TEST_F(DriveTreeTest, DrivesScrolledOutOfViewAreStillCollected)
{
    drives.roots.clear();
    QString all;
    for (char l = 'D'; l <= 'Z'; ++l) {
        drives.roots[l] = "/mnt/" + std::string(1, l);
        all += QLatin1Char(l) + QStringLiteral("!");
    }
    CDriveTree tree;
    tree.Fill(all, drives);
    tree.resize(200, 60);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    ASSERT_GT(tree.verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(tree.Collect(), all);

    // Scrolled to the end, a click on the last row flips Z, not a row above.
    tree.scrollToItem(ItemOf(tree, 'Z'));
    ClickRow(tree, 'Z');
    EXPECT_FALSE(tree.IsMarked('Z'));
    EXPECT_EQ(tree.Collect(), all.left(all.size() - 2));
}

TEST_F(DriveTreeTest, SelectDrivesStartsFromDrivesUntilItHasItsOwnChoice)
{
    CSettings::Write(Setting::Drives, "C!");
    QString seen;
    SetModalHook([&](QDialog& d) {
        auto* tree = d.findChild<CDriveTree*>(QStringLiteral("IDC_DRIVE_TREE"));
        EXPECT_NE(tree, nullptr);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Tarnowick Select Drives"));
        d.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
        seen = tree->Collect();
        ClickRow(*tree, 'D');
        d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        return d.result();
    });
    CSelectDrives dialog(drives, nullptr);
    EXPECT_EQ(dialog.m_strDrives, QStringLiteral("C!"));
    EXPECT_EQ(RunModal(dialog), IDOK);
    EXPECT_EQ(seen, QStringLiteral("C!"));
    EXPECT_EQ(dialog.m_strDrives, QStringLiteral("C!D!"));
    EXPECT_EQ(Drives2(), "C!D!");
    EXPECT_EQ(CSettings::Read(Setting::Drives), "C!");

    // Its own choice now wins over the preferences'.
    CSettings::Write(Setting::Drives, "F!");
    CSelectDrives again(drives, nullptr);
    EXPECT_EQ(again.m_strDrives, QStringLiteral("C!D!"));
    EXPECT_EQ(again.m_treeDrives->Collect(), QStringLiteral("C!D!"));
}

TEST_F(DriveTreeTest, SelectDrivesOkWithNothingMarkedFallsBackNextTime)
{
    CSettings::Write(Setting::Drives, "D!");
    CSettings::Write(Setting::Drives2, "Q!");  // a stick that is not here
    CSelectDrives dialog(drives, nullptr);
    EXPECT_EQ(dialog.m_treeDrives->Collect(), QString());
    dialog.m_buttons->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(dialog.m_strDrives, QString());
    EXPECT_EQ(Drives2(), "");

    CSelectDrives again(drives, nullptr);
    EXPECT_EQ(again.m_treeDrives->Collect(), QStringLiteral("D!"));
}

TEST_F(DriveTreeTest, CancelAndEscapeStoreNothing)
{
    CSettings::Write(Setting::Drives2, "F!");
    {
        CSelectDrives dialog(drives, nullptr);
        Show(dialog);
        ClickRow(*dialog.m_treeDrives, 'C');
        dialog.m_buttons->button(QDialogButtonBox::Cancel)->click();
        EXPECT_EQ(dialog.result(), IDCANCEL);
    }
    {
        CSelectDrives dialog(drives, nullptr);
        Show(dialog);
        ClickRow(*dialog.m_treeDrives, 'D');
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), IDCANCEL);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_EQ(Drives2(), "F!");
}
