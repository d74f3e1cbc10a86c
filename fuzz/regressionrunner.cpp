// SPDX-License-Identifier: MIT
// Replays saved inputs through the fuzz target's entry point, for builds without libFuzzer:
// each argument is a directory of inputs. A finding aborts, as it does under the fuzzer; an
// empty replay fails, since then nothing was checked.
#include "fuzzinput.h"

#include <QDir>
#include <QFile>

#include <vector>

int main(int argc, char** argv)
{
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const QDir dir(QString::fromLocal8Bit(argv[i]));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            // Named first, so that the last name printed before a crash is the culprit.
            std::printf("%s\n", qPrintable(dir.filePath(name)));
            std::fflush(stdout);
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                return 1;
            const QByteArray bytes = file.readAll();
            // A copy of exactly the input's size, so that AddressSanitizer sees a read past it.
            const std::vector<std::uint8_t> exact(bytes.begin(), bytes.end());
            LLVMFuzzerTestOneInput(exact.data(), exact.size());
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
