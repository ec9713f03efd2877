// The yardstick for the status benchmark: the least a Qt Core program does to show something
// of the snapshot cache. It reads the file named on its command line, parses it and prints one
// line with the number of accounts in it.

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    QFile file(QFile::decodeName(argv[1]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    std::printf("%lld accounts\n", static_cast<long long>(document.object().size()));
    return 0;
}
