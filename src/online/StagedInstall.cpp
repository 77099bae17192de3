#include "online/StagedInstall.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <vector>

namespace kzo::online {

namespace {

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// The staged tree as relative paths: folders (parents before children) and files.
struct Staged {
    QStringList dirs;
    QStringList files;
};

Staged readStage(const QString& stageDir)
{
    Staged s;
    const QDir root(stageDir);
    QDirIterator it(stageDir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString rel = root.relativeFilePath(info.filePath());
        if (info.isDir() && !info.isSymLink())
            s.dirs << rel;
        else
            s.files << rel;
    }
    // A parent sorts before its children.
    s.dirs.sort();
    s.files.sort();
    return s;
}

bool isProtected(const QString& path, const QStringList& protectedFiles)
{
    const QString p = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (const QString& f : protectedFiles) {
        // Compared without case: the settings files live on file systems that ignore it too.
        if (QDir::cleanPath(QFileInfo(f).absoluteFilePath()).compare(p, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Everything that would make the install replace something of another kind,
// checked before anything is changed.
bool check(const Staged& s, const QString& targetDir, const QStringList& protectedFiles, QString* error)
{
    for (const QString& d : s.dirs) {
        const QFileInfo t(targetDir + QLatin1Char('/') + d);
        if (t.isSymLink())
            return fail(error, QStringLiteral("\"%1\" is a link in the target folder").arg(d));
        if (t.exists() && !t.isDir())
            return fail(error, QStringLiteral("\"%1\" would replace a file with a folder").arg(d));
    }
    for (const QString& f : s.files) {
        const QString path = targetDir + QLatin1Char('/') + f;
        const QFileInfo t(path);
        if (t.isSymLink())
            return fail(error, QStringLiteral("\"%1\" is a link in the target folder").arg(f));
        if (t.isDir())
            return fail(error, QStringLiteral("\"%1\" would replace a folder").arg(f));
        if (isProtected(path, protectedFiles))
            return fail(error, QStringLiteral("\"%1\" would replace a settings file").arg(f));
    }
    return true;
}

// What the install did so far, undone in reverse order on failure.
class Journal {
public:
    void createdDir(const QString& path) { steps.push_back({Step::Dir, path, {}}); }
    void movedAside(const QString& path, const QString& backup) { steps.push_back({Step::Aside, path, backup}); }
    void placed(const QString& path) { steps.push_back({Step::Placed, path, {}}); }

    void rollBack()
    {
        for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
            switch (it->kind) {
            case Step::Placed:
                QFile::remove(it->path);
                break;
            case Step::Aside:
                QFile::rename(it->backup, it->path);
                break;
            case Step::Dir:
                QDir().rmdir(it->path);
                break;
            }
        }
        steps.clear();
    }

private:
    struct Step {
        enum Kind { Dir, Aside, Placed } kind;
        QString path;
        QString backup;
    };
    std::vector<Step> steps;
};

} // namespace

bool installStagedTree(const QString& stageDir, const QString& targetDir, const QStringList& protectedFiles,
                       QString* error, const MoveFile& move)
{
    const MoveFile mv = move ? move : MoveFile([](const QString& a, const QString& b) { return QFile::rename(a, b); });
    if (!QDir().mkpath(targetDir))
        return fail(error, QStringLiteral("cannot create %1").arg(targetDir));
    const Staged staged = readStage(stageDir);
    if (!check(staged, targetDir, protectedFiles, error))
        return false;

    // Replaced files wait here until every new one is in place; same file
    // system as the target, so moving them is a rename.
    QTemporaryDir aside(targetDir + QStringLiteral("/.replaced-XXXXXX"));
    if (!aside.isValid())
        return fail(error, QStringLiteral("cannot create a folder for replaced files"));

    Journal journal;
    for (const QString& d : staged.dirs) {
        const QString path = targetDir + QLatin1Char('/') + d;
        if (QFileInfo(path).isDir())
            continue;
        if (!QDir().mkdir(path)) {
            journal.rollBack();
            return fail(error, QStringLiteral("cannot create folder \"%1\"").arg(d));
        }
        journal.createdDir(path);
    }
    int n = 0;
    for (const QString& f : staged.files) {
        const QString path = targetDir + QLatin1Char('/') + f;
        if (QFileInfo::exists(path)) {
            const QString backup = aside.path() + QLatin1Char('/') + QString::number(n++);
            if (!mv(path, backup)) {
                journal.rollBack();
                return fail(error, QStringLiteral("cannot move \"%1\" aside").arg(f));
            }
            journal.movedAside(path, backup);
        }
        if (!mv(stageDir + QLatin1Char('/') + f, path)) {
            journal.rollBack();
            return fail(error, QStringLiteral("cannot move \"%1\" into place").arg(f));
        }
        journal.placed(path);
    }
    return true;
}

} // namespace kzo::online
