// The executor: the window's templates take CALC_T's cycles, the fast-forward
// counts what running every instruction counts, and init code's register
// writes can be read back.
#include <gtest/gtest.h>

#include <vector>

#include "codegen/executor.h"
#include "core/delay.h"

namespace {

using namespace delaysub;
using namespace delaysub::codegen;

const mcu::Chip& chip(const char* name) {
  return *mcu::findChip(name);
}

// The window's template of a depth (PRG1..3) with BYT_DLY in R7 of bank 0:
// DJNZ Rn where the template's DJNZ BYT_DLY is the direct form, which the
// classic 8051 times alike (2 cycles; mcu/ has no DJNZ direct entry), and
// PUSH/POP 07H for PUSH/POP BYT_DLY. The s51 test runs the real text.
Program windowTemplate(int depth) {
  ProgramBuilder b;
  b.label("DELAY");
  if (depth == 1) {
    b.djnz(7, "DELAY").ret();
  } else if (depth == 2) {
    b.push(7).label("DELm1").djnz(7, "DELm1").pop(7).djnz(7, "DELAY").ret();
  } else {
    b.push(7).label("DEL31").push(7).label("DEL32").djnz(7, "DEL32").pop(7).djnz(7, "DEL31");
    b.pop(7).djnz(7, "DELAY").ret();
  }
  return b.build();
}

std::uint64_t templateClocks(int depth, int X, const ExecutionLimits& limits = {}) {
  Machine m;
  m.iram[7] = static_cast<std::uint8_t>(X);
  m.sfr[kSp - 0x80] = 0x09;  // the LCALL's return address
  const Execution e = execute(windowTemplate(depth), chip("8051"), 0, m, limits);
  EXPECT_TRUE(e.finished) << e.problem;
  return e.clocks + 24;  // + the LCALL
}

TEST(WindowTemplates, TakeCalcTsMachineCyclesForEverySeed) {
  for (int depth = 1; depth <= 3; ++depth) {
    for (int X = 1; X <= 255; ++X) {
      const auto T = core::CALC_T(X, static_cast<std::int16_t>(depth - 1), 12.0F);
      ASSERT_TRUE(T.ok());
      ASSERT_EQ(templateClocks(depth, X), static_cast<std::uint64_t>(T.value) * 12)
          << "depth " << depth << ", X = " << X;
    }
  }
}

TEST(FastForward, CountsWhatEveryInstructionCounts) {
  ExecutionLimits slow;
  slow.fastForward = false;
  for (int depth = 1; depth <= 3; ++depth) {
    for (int X : {1, 2, 3, 100, 255}) {
      EXPECT_EQ(templateClocks(depth, X), templateClocks(depth, X, slow)) << depth << " " << X;
    }
  }
  // A chain whose inner counters wrap to 256, reloads and NOPs in the body,
  // on a chip whose DJNZ costs more when it jumps.
  ProgramBuilder b;
  b.movRn(7, 3).movRn(6, 200).movRn(5, 2).label("L").nop().djnz(7, "L").movRn(7, 17);
  b.djnz(6, "L").djnz(5, "L");
  const Program p = b.build();
  for (const char* name : {"8051", "stc8", "c8051f"}) {
    const Execution fast = execute(p, chip(name));
    const Execution full = execute(p, chip(name), 0, {}, slow);
    EXPECT_TRUE(fast.finished && full.finished);
    EXPECT_EQ(fast.clocks, full.clocks) << name;
    EXPECT_EQ(fast.executed, full.executed) << name;
    EXPECT_EQ(fast.taken, full.taken) << name;
    EXPECT_LT(fast.steps, full.steps / 10) << name;
  }
}

TEST(FastForward, LeavesLoopsWhoseBodyReadsTheCounter) {
  // PUSH 07H reads R7 inside R7's own loop: nothing may be skipped, and the
  // counts still agree.
  ProgramBuilder b;
  b.movRn(7, 50).label("L").push(7).pop(6).djnz(7, "L");
  const Program p = b.build();
  ExecutionLimits slow;
  slow.fastForward = false;
  const Execution fast = execute(p, chip("8051"));
  EXPECT_EQ(fast.clocks, execute(p, chip("8051"), 0, {}, slow).clocks);
  EXPECT_EQ(fast.steps, 1U + 3U * 50U);
}

TEST(Executor, CountsTakenAndNotTakenJumps) {
  ProgramBuilder b;
  b.movRn(7, 5).label("L").djnz(7, "L");
  const Execution e = execute(b.build(), chip("stc8"));
  ASSERT_TRUE(e.finished);
  EXPECT_EQ(e.executed, (std::vector<std::uint64_t>{1, 5}));
  EXPECT_EQ(e.taken, (std::vector<std::uint64_t>{0, 4}));
  EXPECT_EQ(e.clocks, 1U + 4U * 3U + 2U);  // MOV 1, DJNZ 3 taken, 2 not
}

TEST(Executor, InitCodeWritesCanBeReadBack) {
  constexpr std::uint8_t kTmod = 0x89;
  constexpr std::uint8_t kTh0 = 0x8C;
  constexpr std::uint8_t kTr0 = 0x8C;  // bit TCON.4
  constexpr std::uint8_t kTcon = 0x88;
  ProgramBuilder b;
  b.label("init").anl(kTmod, 0xF0).orl(kTmod, 0x01).movDirect(kTh0, 0xFC).setb(kTr0).ret();
  Machine m;
  m.sfr[kTmod - 0x80] = 0x25;  // timer 1 in mode 2 already, timer 0 gate set
  m.sfr[kSp - 0x80] = 0x09;
  const Execution e = execute(b.build(), chip("8051"), 0, m);
  ASSERT_TRUE(e.finished);
  EXPECT_EQ(e.machine.direct(kTmod), 0x21);
  EXPECT_EQ(e.machine.direct(kTh0), 0xFC);
  EXPECT_TRUE(e.machine.bit(kTr0));
  const std::vector<Write> writes{{kTmod, 0x20}, {kTmod, 0x21}, {kTh0, 0xFC}, {kTcon, 0x10}};
  EXPECT_EQ(e.writes, writes);
}

TEST(Executor, SaysWhyItStopped) {
  ProgramBuilder spin;
  spin.label("L").sjmp("L");
  ExecutionLimits limits;
  limits.maxSteps = 1000;
  const Execution forever = execute(spin.build(), chip("8051"), 0, {}, limits);
  EXPECT_FALSE(forever.finished);
  EXPECT_EQ(forever.problem, "did not finish within 1000 instructions");

  ProgramBuilder push;
  push.push(7).pop(7);
  const Execution missing = execute(push.build(), chip("stc8"));
  EXPECT_FALSE(missing.finished);
  EXPECT_EQ(missing.problem, "stc8 has no clocks for PUSH direct");
}

TEST(Executor, RegisterBankFollowsPsw) {
  ProgramBuilder b;
  b.movDirect(kPsw, 0x08).movRn(7, 0x42);
  const Execution e = execute(b.build(), chip("8051"));
  EXPECT_EQ(e.machine.iram[0x0F], 0x42);
  EXPECT_EQ(e.machine.iram[0x07], 0x00);
}

}  // namespace
