#pragma once

#include <QString>

namespace common {

// MODORI.DAT in the data folder: one record of 256 slots through which a
// program started from the launcher finds the command that leads back.
//   offset    0: SlotState     256 x 3 bytes ("YUK" = in use)
//   offset  768: ReturnCommand 256 x 8 bytes
//   offset 2816: CallerId      256 x 8 bytes
// Texts are cp932, left-aligned and padded with spaces; identifiers and
// commands longer than 8 bytes are cut to 8.
inline constexpr int kReturnSlots = 256;
inline constexpr int kReturnStateOffset = 0;
inline constexpr int kReturnCommandOffset = 768;
inline constexpr int kReturnCallerOffset = 2816;
inline constexpr int kReturnTableLength = 4864;

QString ReturnTablePath();

// The command registered for `id`, or empty when none is (also when the table
// cannot be read; `ok` then says false). A missing table is created empty.
QString ReadReturnTarget(const QString& id, bool* ok = nullptr);

// Registers `command` for `id`: the slot that already holds `id`, else the
// first slot not in use. Answers false, leaving the table unchanged and a
// Japanese reason in `error`, when the table cannot be read or written or
// when all slots are taken by other identifiers.
bool WriteReturnTarget(const QString& command, const QString& id, QString* error = nullptr);

} // namespace common
