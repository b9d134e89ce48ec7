#include "qtcommon/QtSetup.h"

#include <algorithm>

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>

namespace kq {

namespace {

const QString kSimplifiedChineseFamily = QStringLiteral("Noto Sans CJK SC");

// Texts Qt 6.4's Chinese catalogue has only under the contexts of older
// versions: without these a folder's type reads "Folder" in the file dialog.
class CQtCatalogueGaps : public QTranslator {
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override
    {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
        static const struct {
            const char* source;
            const char* text;
        } texts[] = {{"Folder", "文件夹"}, {"Drive", "驱动器"}, {"Unknown", "未知"}, {"Shortcut", "快捷方式"}};
        for (const auto& t : texts)
            if (qstrcmp(sourceText, t.source) == 0) return QString::fromUtf8(t.text);
        return {};
    }
};

// The file dialog's model with the size and date columns in the default
// locale rather than the system's.
class CLocalisedFileModel : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (role == Qt::DisplayRole && files && index.isValid()) {
            const QModelIndex source = mapToSource(index);
            if (index.column() == 1 && !files->isDir(source)) return QLocale().formattedDataSize(files->size(source));
            if (index.column() == 3) return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        }
        return QIdentityProxyModel::data(index, role);
    }
};

// Gives each widget file dialog the localised model as it is first shown,
// whoever made it.
class CFileDialogWatcher : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            auto* dialog = qobject_cast<QFileDialog*>(watched);
            // A dialog with a file system model draws its own widgets; a
            // platform dialog has none to change.
            if (dialog && !dialog->proxyModel() && dialog->findChild<QFileSystemModel*>()) Localise(dialog);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static void Localise(QFileDialog* dialog)
    {
        // A new model resets the detail view's columns: keep them, and make
        // the size, type and date columns as wide as their Chinese texts.
        auto* tree = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        const QByteArray columns = tree ? tree->header()->saveState() : QByteArray();
        dialog->setProxyModel(new CLocalisedFileModel(dialog));
        if (!tree) return;
        tree->header()->restoreState(columns);
        const QFontMetrics metrics = tree->fontMetrics();
        const int padding = 2 * metrics.horizontalAdvance(QLatin1Char('0')) + 12;
        const QLocale locale;
        const QString widest[3] = {
            locale.formattedDataSize(999'990'000), QStringLiteral("Markdown 文档"),
            locale.toString(QDateTime(QDate(2026, 12, 31), QTime(23, 59)), QLocale::ShortFormat)};
        QHeaderView* header = tree->header();
        if (header->count() < 4) return;
        for (int c = 1; c <= 3; ++c)
            header->resizeSection(c, std::max(header->sectionSize(c), metrics.horizontalAdvance(widest[c - 1]) + padding));
        // The name gives up what the others took, once the view has its
        // width: the date stays in sight.
        QTimer::singleShot(0, tree, [tree, header, metrics] {
            const int others = header->sectionSize(1) + header->sectionSize(2) + header->sectionSize(3);
            header->resizeSection(0, std::max(metrics.horizontalAdvance(QLatin1Char('0')) * 16,
                                              tree->viewport()->width() - others));
        });
    }
};

}  // namespace

void SetUpChineseDesktop()
{
    UseChineseLocale();
    PreferSimplifiedChineseFont();
    InstallQtChineseCatalogue();
    LocaliseFileDialogs();
}

bool PreferSimplifiedChineseFont()
{
    if (!QFontDatabase::families().contains(kSimplifiedChineseFamily)) return false;
    QFont font = QApplication::font();
    const QString resolved = QFontInfo(font).family();
    // The family the default resolves to, not its name: an alias such as
    // "Sans Serif" is no family of the database, and Qt would skip to the
    // next one for Latin text too. A CJK family of another region as the
    // default draws Han in its own forms: Simplified Chinese goes first then.
    QStringList families;
    if (resolved.contains(QLatin1String("CJK")) && resolved != kSimplifiedChineseFamily)
        families << kSimplifiedChineseFamily << resolved;
    else
        families << resolved << kSimplifiedChineseFamily;
    font.setFamilies(families);
    QApplication::setFont(font);
    return true;
}

void UseChineseLocale()
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China));
}

bool InstallQtChineseCatalogue()
{
    // Owned by the application; the pointers clear when it goes. The gaps
    // go in last, so they are asked first.
    static QPointer<QTranslator> installed;
    static QPointer<QTranslator> gaps;
    if (installed) return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    const bool loaded = translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded) {
        QCoreApplication::installTranslator(translator);
        installed = translator;
    } else {
        delete translator;
    }
    if (!gaps) {
        gaps = new CQtCatalogueGaps(QCoreApplication::instance());
        QCoreApplication::installTranslator(gaps);
    }
    return loaded;
}

void LocaliseFileDialogs()
{
    static QPointer<CFileDialogWatcher> watcher;
    if (watcher) return;
    watcher = new CFileDialogWatcher(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(watcher);
}

CQtProviderScope::CQtProviderScope()
{
    SetPromptProvider(&m_prompt);
    SetClipboardProvider(&m_clipboard);
}

CQtProviderScope::~CQtProviderScope()
{
    SetPromptProvider(nullptr);
    SetClipboardProvider(nullptr);
}

}  // namespace kq
