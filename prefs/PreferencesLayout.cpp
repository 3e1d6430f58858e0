// SPDX-License-Identifier: GPL-3.0-or-later
// The controls of "Tarnowick Preferences", their places and their help texts.
#include "prefs/CPreferences.h"
#include "app/ThemeIcons.h"

#include "help/HelpContent.h"
#include "prefs/CDriveTree.h"
#include "prefs/CFileTypeCombo.h"
#include "prefs/CToggleButton.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw {

namespace {

template <class W>
W* Named(W* widget, int id, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    widget->setProperty("controlId", id);
    return widget;
}

} // namespace

void CPreferences::BuildLayout()
{
    // Three rows, one per location: label, edit, "All Files" toggle, Browse.
    // The "All Files" frame spans the toggle column of all three rows and
    // one title row above them; the toggles lie over it in their own rows,
    // so each stays level with its edit.
    auto* paths = new QGridLayout;
    m_grpAllFiles = Named(new QGroupBox(tr("All Files"), this), IDC_ALL_FILES_GROUP, "IDC_ALL_FILES_GROUP");
    m_grpAllFiles->setAlignment(Qt::AlignHCenter);
    paths->addWidget(m_grpAllFiles, 0, 2, 5, 1);
    paths->setRowMinimumHeight(0, fontMetrics().height());
    paths->setRowMinimumHeight(4, 4);
    paths->setColumnMinimumWidth(2, fontMetrics().horizontalAdvance(m_grpAllFiles->title()) + 24);
    paths->setColumnStretch(1, 1);

    struct Row {
        const char* label;
        QLineEdit*& edit;
        int editId;
        const char* editName;
        CToggleButton*& toggle;
        int toggleId;
        const char* toggleName;
        QPushButton*& browse;
        int browseId;
        const char* browseName;
    };
    const Row rows[] = {
        {QT_TRANSLATE_NOOP("tw::CPreferences", "Path To Internet Cache"), m_editCachePath, IDC_CACHE_PATH, "IDC_CACHE_PATH", m_btnAllCache, IDC_ALL_CACHE,
         "IDC_ALL_CACHE", m_btnBrowseCache, IDC_BROWSE_CACHE, "IDC_BROWSE_CACHE"},
        {QT_TRANSLATE_NOOP("tw::CPreferences", "Path To Temp Directory"), m_editTempPath, IDC_TEMP_PATH, "IDC_TEMP_PATH", m_btnAllTemp, IDC_ALL_TEMP,
         "IDC_ALL_TEMP", m_btnBrowseTemp, IDC_BROWSE_TEMP, "IDC_BROWSE_TEMP"},
        {QT_TRANSLATE_NOOP("tw::CPreferences", "Other Path"), m_editOtherPath, IDC_OTHER_PATH, "IDC_OTHER_PATH", m_btnAllOther, IDC_ALL_OTHER,
         "IDC_ALL_OTHER", m_btnBrowseOther, IDC_BROWSE_OTHER, "IDC_BROWSE_OTHER"},
    };
    int r = 1;
    for (const Row& row : rows) {
        auto* label = new QLabel(tr(row.label), this);
        row.edit = Named(new QLineEdit(this), row.editId, row.editName);
        row.edit->setMinimumWidth(280);
        label->setBuddy(row.edit);
        row.toggle = Named(new CToggleButton(QString(), this), row.toggleId, row.toggleName);
        // The toggle shows no text of its own: its frame says "All Files",
        // its row says which location. A screen reader hears both.
        row.toggle->setAccessibleName(tr("All Files: %1").arg(tr(row.label)));
        row.browse = Named(new QPushButton(tr("Browse"), this), row.browseId, row.browseName);
        paths->addWidget(label, r, 0);
        paths->addWidget(row.edit, r, 1);
        paths->addWidget(row.toggle, r, 2, Qt::AlignCenter);
        paths->addWidget(row.browse, r, 3);
        ++r;
    }

    // Below the paths: the mode and the subdirectory switch on the left,
    // the file types on the right.
    m_grpSearchIn = Named(new QGroupBox(tr("Search in"), this), IDC_SEARCH_IN_GROUP, "IDC_SEARCH_IN_GROUP");
    m_btnTheseDirectories = Named(new CToggleButton(tr("These Directories only"), m_grpSearchIn, CToggleButton::Choice),
                                  IDC_THESE_DIRECTORIES, "IDC_THESE_DIRECTORIES");
    m_btnAllDirectories = Named(new CToggleButton(tr("All Directories"), m_grpSearchIn, CToggleButton::Choice),
                                IDC_ALL_DIRECTORIES, "IDC_ALL_DIRECTORIES");
    auto* searchIn = new QVBoxLayout(m_grpSearchIn);
    searchIn->addWidget(m_btnTheseDirectories);
    searchIn->addWidget(m_btnAllDirectories);
    m_btnSubdirectories = Named(new CToggleButton(tr("Include Subdirectories"), this),
                                IDC_SUBDIRECTORIES, "IDC_SUBDIRECTORIES");
    auto* left = new QVBoxLayout;
    left->addWidget(m_grpSearchIn);
    left->addWidget(m_btnSubdirectories);
    left->addStretch();

    m_grpFileTypes = Named(new QGroupBox(tr("File Types"), this), IDC_FILE_TYPES_GROUP, "IDC_FILE_TYPES_GROUP");
    m_comboFileType = Named(new CFileTypeCombo(m_grpFileTypes), IDC_FILE_TYPE, "IDC_FILE_TYPE");
    m_btnAdd = Named(new QPushButton(tr("Add"), m_grpFileTypes), IDC_ADD, "IDC_ADD");
    m_btnDelete = Named(new QPushButton(tr("Delete"), m_grpFileTypes), IDC_DELETE, "IDC_DELETE");
    auto* fileTypes = new QHBoxLayout(m_grpFileTypes);
    fileTypes->addWidget(m_comboFileType, 1, Qt::AlignTop);
    auto* fileTypeButtons = new QVBoxLayout;
    fileTypeButtons->addWidget(m_btnAdd);
    fileTypeButtons->addWidget(m_btnDelete);
    fileTypeButtons->addStretch();
    fileTypes->addLayout(fileTypeButtons);

    auto* middle = new QHBoxLayout;
    middle->addLayout(left);
    middle->addWidget(m_grpFileTypes, 1);

    // At the bottom: the drives, the product's frame, OK above Cancel.
    m_grpDrives = Named(new QGroupBox(tr("Drives To Scan"), this), IDC_DRIVES_GROUP, "IDC_DRIVES_GROUP");
    m_treeDrives = Named(new CDriveTree(m_grpDrives), IDC_DRIVE_TREE, "IDC_DRIVE_TREE");
    // A few rows are enough; more drives scroll.
    m_treeDrives->setMinimumHeight(fontMetrics().height() * 5);
    m_treeDrives->setMaximumHeight(fontMetrics().height() * 8);
    auto* drives = new QVBoxLayout(m_grpDrives);
    drives->addWidget(m_treeDrives);

    auto* product = new QFrame(this);
    product->setFrameShape(QFrame::Box);
    product->setFrameShadow(QFrame::Sunken);
    product->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    m_lblIcon = Named(new QLabel(product), IDC_ICON, "IDC_ICON");
    m_lblIcon->setPixmap(ApplicationIcon().pixmap(32, 32));
    m_lblIcon->setAlignment(Qt::AlignCenter);
    m_lblProductName = Named(new QLabel(tr("Tarnowick Secure Delete", "the product's name"), product), IDC_PRODUCT_NAME,
                             "IDC_PRODUCT_NAME");
    m_lblProductName->setAlignment(Qt::AlignCenter);
    auto* productLayout = new QVBoxLayout(product);
    productLayout->addStretch();
    productLayout->addWidget(m_lblIcon);
    productLayout->addWidget(m_lblProductName);
    productLayout->addStretch();

    m_btnOk = Named(new QPushButton(tr("OK"), this), IDC_OK, "IDOK");
    m_btnOk->setDefault(true);
    m_btnCancel = Named(new QPushButton(tr("Cancel"), this), IDC_CANCEL, "IDCANCEL");
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_btnOk);
    buttons->addWidget(m_btnCancel);
    buttons->addStretch();

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_grpDrives, 1);
    bottom->addWidget(product, 0, Qt::AlignVCenter);
    bottom->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(paths);
    layout->addLayout(middle);
    layout->addLayout(bottom, 1);

    // The focus visits the controls in the order the user reads them.
    QWidget* order[] = {m_editCachePath, m_btnAllCache, m_btnBrowseCache, m_editTempPath, m_btnAllTemp,
                        m_btnBrowseTemp, m_editOtherPath, m_btnAllOther, m_btnBrowseOther, m_btnTheseDirectories,
                        m_btnAllDirectories, m_btnSubdirectories, m_comboFileType, m_btnAdd, m_btnDelete,
                        m_treeDrives, m_btnOk, m_btnCancel};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void CPreferences::InstallHelpTexts()
{
    for (QWidget* widget : findChildren<QWidget*>()) {
        const QVariant id = widget->property("controlId");
        if (!id.isValid())
            continue;
        const int topic = HelpTopic(id.toInt());
        if (topic != 0)
            widget->setWhatsThis(HelpText(HelpId(kPreferencesDialogId, topic)));
    }
}

int CPreferences::HelpTopic(int controlId)
{
    switch (controlId) {
    case IDC_CACHE_PATH: case IDC_OK: case IDC_CANCEL: case IDC_ALL_CACHE: case IDC_ALL_OTHER:
    case IDC_ALL_TEMP: case IDC_BROWSE_CACHE: case IDC_BROWSE_OTHER: case IDC_BROWSE_TEMP:
    case IDC_DRIVE_TREE: case IDC_OTHER_PATH: case IDC_TEMP_PATH: case IDC_ADD: case IDC_DELETE:
    case IDC_SUBDIRECTORIES: case IDC_ALL_DIRECTORIES: case IDC_FILE_TYPE:
        return controlId;
    case IDC_ALL_FILES_GROUP: return IDC_ALL_CACHE;
    case IDC_SEARCH_IN_GROUP: case IDC_THESE_DIRECTORIES: return IDC_ALL_DIRECTORIES;
    case IDC_FILE_TYPES_GROUP: return IDC_FILE_TYPE;
    case IDC_DRIVES_GROUP: return IDC_DRIVE_TREE;
    default: return 0;  // the icon and the product name have no topic
    }
}

} // namespace tw
