// SPDX-License-Identifier: GPL-3.0-or-later
#include "wipe/COpenFileDialog.h"

#include "app/CGuiHost.h"
#include "app/ModalSeam.h"
#include "wipe/TypedNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tw {

namespace {

constexpr int kNameRole = Qt::UserRole;       // the entry's name, bytes
constexpr int kSortRole = Qt::UserRole + 1;   // size or time, for sorting
constexpr int kFolderRole = Qt::UserRole + 2; // true for a folder or a link to one

enum Column { NameColumn, SizeColumn, TypeColumn, DateColumn };

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), qsizetype(s.size())); }

// Folders before files; then by the clicked column.
class EntryItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const bool folder = data(0, kFolderRole).toBool(), otherFolder = other.data(0, kFolderRole).toBool();
        const Qt::SortOrder order = treeWidget() ? treeWidget()->header()->sortIndicatorOrder() : Qt::AscendingOrder;
        if (folder != otherFolder)
            return order == Qt::AscendingOrder ? folder : otherFolder;
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column == SizeColumn || column == DateColumn)
            return data(column, kSortRole).toLongLong() < other.data(column, kSortRole).toLongLong();
        return QString::localeAwareCompare(text(column), other.text(column)) < 0;
    }
};

// A name's bytes that are not UTF-8, written out: two such names that look
// alike in the list differ in their tooltips.
QString EscapedName(const std::string& name)
{
    const QString shown = ShowText(name);
    if (Bytes(name) == shown.toUtf8())
        return shown;
    QString escaped;
    for (const unsigned char c : name)
        escaped += c < 0x80 && c >= 0x20 ? QString(QLatin1Char(char(c))) : QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    return escaped;
}

std::string ParentOf(const std::string& dir)
{
    const size_t slash = dir.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return dir.substr(0, slash);
}

} // namespace

COpenFileDialog::COpenFileDialog(QWidget* parent, const FileDialogRequest& request)
    : QDialog(parent)
    , m_bMultiple(request.multiple)
    , m_bAcceptMissing(request.acceptMissing)
{
    setObjectName(QStringLiteral("COpenFileDialog"));
    setWindowTitle(request.title);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    m_editLocation = new QLineEdit(this);
    m_editLocation->setObjectName(QStringLiteral("locationEdit"));
    m_editLocation->setAccessibleName(tr("Look in"));
    m_btnUp = new QToolButton(this);
    m_btnUp->setObjectName(QStringLiteral("upButton"));
    m_btnUp->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    m_btnUp->setToolTip(tr("Parent Directory"));
    m_btnUp->setAccessibleName(tr("Parent Directory"));
    m_btnHome = new QToolButton(this);
    m_btnHome->setObjectName(QStringLiteral("homeButton"));
    m_btnHome->setIcon(style()->standardIcon(QStyle::SP_DirHomeIcon));
    m_btnHome->setToolTip(tr("Home Directory"));
    m_btnHome->setAccessibleName(tr("Home Directory"));
    auto* top = new QHBoxLayout;
    auto* lookIn = new QLabel(tr("Look &in:"), this);
    lookIn->setBuddy(m_editLocation);
    top->addWidget(lookIn);
    top->addWidget(m_editLocation, 1);
    top->addWidget(m_btnUp);
    top->addWidget(m_btnHome);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("fileList"));
    m_list->setAccessibleName(tr("Files"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(m_bMultiple ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    m_list->setHeaderLabels({tr("Name"), tr("Size"), tr("Type"), tr("Date Modified")});
    m_list->setSortingEnabled(true);
    m_list->sortByColumn(NameColumn, Qt::AscendingOrder);

    m_editName = new QLineEdit(this);
    m_editName->setObjectName(QStringLiteral("fileNameEdit"));
    m_comboTypes = new QComboBox(this);
    m_comboTypes->setObjectName(QStringLiteral("fileTypeCombo"));
    // The program asks for every file: the one filter shows everything.
    m_comboTypes->addItem(request.filter.isEmpty() ? tr("All Files (*)") : request.filter);
    m_checkHidden = new QCheckBox(tr("Show &hidden files"), this);
    m_checkHidden->setObjectName(QStringLiteral("hiddenCheck"));
    m_btnOpen = new QPushButton(tr("&Open"), this);
    m_btnOpen->setObjectName(QStringLiteral("openButton"));
    m_btnOpen->setDefault(true);
    m_btnCancel = new QPushButton(tr("Cancel"), this);
    m_btnCancel->setObjectName(QStringLiteral("cancelButton"));

    auto* bottom = new QGridLayout;
    auto* nameLabel = new QLabel(tr("File &name:"), this);
    nameLabel->setBuddy(m_editName);
    auto* typeLabel = new QLabel(tr("Files of type:"), this);
    typeLabel->setBuddy(m_comboTypes);
    bottom->addWidget(nameLabel, 0, 0);
    bottom->addWidget(m_editName, 0, 1);
    bottom->addWidget(m_btnOpen, 0, 2);
    bottom->addWidget(typeLabel, 1, 0);
    bottom->addWidget(m_comboTypes, 1, 1);
    bottom->addWidget(m_btnCancel, 1, 2);
    bottom->addWidget(m_checkHidden, 2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);

    connect(m_btnOpen, &QPushButton::clicked, this, &COpenFileDialog::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &COpenFileDialog::reject);
    connect(m_btnUp, &QToolButton::clicked, this, [this] { SetDirectory(ParentOf(m_directory)); });
    connect(m_btnHome, &QToolButton::clicked, this, [this] { SetDirectory(UserHome()); });
    connect(m_checkHidden, &QCheckBox::toggled, this, &COpenFileDialog::Fill);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &COpenFileDialog::OnSelectionChanged);
    connect(m_list, &QTreeWidget::itemActivated, this, &COpenFileDialog::OnActivated);
    connect(m_editLocation, &QLineEdit::returnPressed, this, &COpenFileDialog::OnLocationEntered);
    auto* hidden = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    connect(hidden, &QShortcut::activated, m_checkHidden, &QCheckBox::toggle);

    // Big enough for long names, sizes and dates side by side.
    const QFontMetrics metrics = fontMetrics();
    const int dateWidth = metrics.horizontalAdvance(
        QLocale().toString(QDateTime(QDate(2000, 12, 28), QTime(23, 59)), QLocale::ShortFormat)) + 24;
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    m_list->setColumnWidth(SizeColumn, metrics.horizontalAdvance(QStringLiteral("1,023.99 KiB")) + 24);
    m_list->setColumnWidth(TypeColumn, metrics.horizontalAdvance(tr("Link to folder")) + 24);
    m_list->setColumnWidth(DateColumn, dateWidth);
    resize(std::max(820, metrics.horizontalAdvance(QLatin1Char('x')) * 48 + m_list->columnWidth(SizeColumn)
                             + m_list->columnWidth(TypeColumn) + dateWidth + 60),
           std::max(520, metrics.height() * 26));

    std::string start = request.directoryBytes.empty() ? QFile::encodeName(request.directory).toStdString()
                                                       : request.directoryBytes;
    start = start.empty() ? UserHome() : AbsoluteAgainstHome(start);
    // A remembered directory that is gone: the nearest one above it.
    while (!IsDirectoryPath(start) && start != "/")
        start = ParentOf(start);
    SetDirectory(start);
    m_editName->setFocus();
}

bool COpenFileDialog::SetDirectory(const std::string& directory)
{
    std::string dir = directory;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    if (!IsDirectoryPath(dir))
        return false;
    m_directory = dir;
    m_editLocation->setText(ShowText(m_directory));
    Fill();
    return true;
}

bool COpenFileDialog::ShowsHidden() const { return m_checkHidden->isChecked(); }

void COpenFileDialog::Fill()
{
    m_list->clear();
    m_selectedNames.clear();
    m_selectionText.clear();
    std::vector<DirEntry> entries;
    int error = 0;
    if (!ListDirectory(m_directory, entries, &error))
        return;  // an unreadable directory shows empty; typed names still work
    const QLocale locale;
    m_list->setSortingEnabled(false);
    for (const DirEntry& e : entries) {
        if (!ShowsHidden() && !e.name.empty() && e.name[0] == '.')
            continue;
        const bool folder = e.kind == DirEntry::Directory || (e.kind == DirEntry::Link && e.linkToDirectory);
        auto* item = new EntryItem(m_list);
        item->setText(NameColumn, ShowText(e.name));
        item->setToolTip(NameColumn, EscapedName(e.name));
        item->setData(0, kNameRole, Bytes(e.name));
        item->setData(0, kFolderRole, folder);
        item->setIcon(NameColumn, style()->standardIcon(folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon));
        if (e.kind == DirEntry::File)
            item->setText(SizeColumn, locale.formattedDataSize(qint64(e.size)));
        item->setData(SizeColumn, kSortRole, qlonglong(e.size));
        item->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(TypeColumn, e.kind == DirEntry::File        ? tr("File")
                                  : e.kind == DirEntry::Directory ? tr("Folder")
                                  : e.kind == DirEntry::Link      ? (folder ? tr("Link to folder") : tr("Link"))
                                                                  : tr("Special"));
        item->setText(DateColumn, locale.toString(QDateTime::fromSecsSinceEpoch(e.modified), QLocale::ShortFormat));
        item->setData(DateColumn, kSortRole, qlonglong(e.modified));
    }
    m_list->setSortingEnabled(true);
}

std::string COpenFileDialog::FullPath(const std::string& name) const
{
    if (!name.empty() && name[0] == '/')
        return name;
    return (m_directory == "/" ? std::string() : m_directory) + "/" + name;
}

QString COpenFileDialog::NamesText(const std::vector<std::string>& names) { return TypedNamesText(names); }

bool COpenFileDialog::ParseTypedNames(const QString& text, std::vector<std::string>& names)
{
    return ReadTypedNames(text, names);
}

void COpenFileDialog::OnSelectionChanged()
{
    m_selectedNames.clear();
    std::vector<std::string> files;
    for (QTreeWidgetItem* item : m_list->selectedItems()) {
        const QByteArray name = item->data(0, kNameRole).toByteArray();
        m_selectedNames.emplace_back(name.constData(), size_t(name.size()));
        if (!item->data(0, kFolderRole).toBool())
            files.push_back(m_selectedNames.back());
    }
    // A folder in the selection is opened, not picked: only files go into
    // the field. A lone folder shows its name, as a way into it.
    if (files.empty() && m_selectedNames.size() == 1)
        files = m_selectedNames;
    m_selectedNames = files;
    m_selectionText = files.empty() ? QString() : NamesText(files);
    if (!files.empty())
        m_editName->setText(m_selectionText);
}

void COpenFileDialog::OnActivated()
{
    QTreeWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    if (item->data(0, kFolderRole).toBool()) {
        const QByteArray name = item->data(0, kNameRole).toByteArray();
        SetDirectory(FullPath(std::string(name.constData(), size_t(name.size()))));
        m_editName->clear();
        return;
    }
    accept();
}

void COpenFileDialog::OnLocationEntered()
{
    const std::string typed = QFile::encodeName(m_editLocation->text()).toStdString();
    const std::string target = typed.empty() ? m_directory : AbsoluteAgainstHome(typed);
    if (!SetDirectory(target)) {
        Refuse(tr("%1 is not a directory.").arg(m_editLocation->text()));
        m_editLocation->setText(ShowText(m_directory));
    }
}

void COpenFileDialog::Refuse(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    RunModal(box);
}

void COpenFileDialog::accept()
{
    // While the field holds what the selection put there, the selection is
    // what was picked, byte for byte; anything else was typed.
    std::vector<std::string> names;
    if (!m_selectedNames.empty() && m_editName->text() == m_selectionText) {
        names = m_selectedNames;
    } else if (m_editName->text().contains(QChar(0))) {
        Refuse(tr("A file name cannot hold a NUL character."));
        return;
    } else if (!ParseTypedNames(m_editName->text(), names)) {
        Refuse(tr("The file names are not in pairs of double quotes: %1").arg(m_editName->text()));
        return;
    }
    if (names.empty())
        return;
    if (names.size() == 1 && IsDirectoryPath(FullPath(names[0]))) {
        SetDirectory(FullPath(names[0]));  // a folder is opened, not picked
        m_editName->clear();
        return;
    }
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        const std::string path = FullPath(name);
        if (IsDirectoryPath(path)) {
            Refuse(tr("%1 is a directory. Pick the files in it.").arg(ShowText(path)));
            return;
        }
        if (!m_bAcceptMissing) {
            // Only an existing file names a directory for Browse.
            const std::string dir = ParentOf(path);
            if (!IsDirectoryPath(dir)) {
                Refuse(tr("%1 was not found.").arg(ShowText(path)));
                return;
            }
        }
        paths.push_back(path);
    }
    if (!m_bMultiple && paths.size() > 1) {
        Refuse(tr("Pick one file."));
        return;
    }
    m_paths = paths;
    QDialog::accept();
}

QStringList COpenFileDialog::Picked() const
{
    QStringList picked;
    for (const std::string& path : m_paths)
        picked << ShowText(path);
    return picked;
}

} // namespace tw
