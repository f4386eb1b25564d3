#pragma once

// Shared by the fuzzing harnesses of the stored-file readers: a scratch data
// folder for the file under test, seed files made with the product's own
// writers, and a check that aborts (so that libFuzzer keeps the input).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// A check of the reader's promises; a failure is a finding.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// A folder of this run for the files under test, made once (in /dev/shm
// when there is one, to keep the disk out of it), with APPDATA pointing at it
// so that the data folder of the suite lies inside.
QString ScratchFolder();

// Writes the fuzzer's input as the file `path` (replacing it).
void WriteInput(const QString& path, const uint8_t* data, size_t size);

// Bytes as a QByteArray without copying.
inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

// When SUITE_FUZZ_SEEDS is set, writes `bytes` there as the seed file `name`
// (the run script points it at the corpus folder before the corpus is read).
void WriteSeed(const char* name, const QByteArray& bytes);

} // namespace fuzz
