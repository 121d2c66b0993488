#include <QMimeDatabase>
#include <QTextStream>

// mimetype_of FILE...: one line "FILE TYPE" each, as the desktop would see it
// through XDG_DATA_DIRS.
int main(int argc, char* argv[])
{
    QTextStream out(stdout);
    const QMimeDatabase database;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        out << path << ' ' << database.mimeTypeForFile(path).name() << '\n';
    }
    return 0;
}
