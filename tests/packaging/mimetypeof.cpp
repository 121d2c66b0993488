#include <QMimeDatabase>
#include <QTextStream>

// mimetype_of FILE...: "FILE TYPE" per line, as the desktop sees it through XDG_DATA_DIRS.
int main(int argc, char* argv[])
{
    QTextStream out(stdout);
    for (int i = 1; i < argc; ++i)
        out << argv[i] << ' ' << QMimeDatabase().mimeTypeForFile(QString::fromLocal8Bit(argv[i])).name() << '\n';
    return 0;
}
