#include "FuzzTarget.h"

#include <QDir>
#include <QFile>

#include <vector>

// Replays every file in the folders given (a fuzz target's seed corpus) through the target, so
// that each input that ever found a fault is checked again by any compiler. An empty corpus
// fails: a replay of nothing would prove nothing.
int main(int argc, char** argv) {
    int replayed = 0;
    for (int index = 1; index < argc; ++index) {
        const QDir corpus(QString::fromLocal8Bit(argv[index]));
        for (const QFileInfo& seed : corpus.entryInfoList(QDir::Files, QDir::Name)) {
            QFile file(seed.filePath());
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(seed.filePath()));
                return 1;
            }
            // An exact-size copy, as libFuzzer passes it, so that a read past the end is caught.
            const QByteArray contents = file.readAll();
            const std::vector<std::uint8_t> input(contents.begin(), contents.end());
            // Named first, so that the seed behind a crash is the last name printed.
            std::printf("%s\n", qPrintable(seed.fileName()));
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(input.data(), input.size());
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
