#pragma once

// Virtual key codes: the keyboard's keys as the system numbers them, independent of the layout
// (the "ansi" keys are named after their place on a US keyboard). Key events carry them; the
// simulated keyboard and the program's key vocabulary read them here.

#include "platform/events.h"

namespace zoral::platform::virtualKey {

inline constexpr CGKeyCode ansiA = 0x00;
inline constexpr CGKeyCode ansiS = 0x01;
inline constexpr CGKeyCode ansiD = 0x02;
inline constexpr CGKeyCode ansiF = 0x03;
inline constexpr CGKeyCode ansiH = 0x04;
inline constexpr CGKeyCode ansiG = 0x05;
inline constexpr CGKeyCode ansiZ = 0x06;
inline constexpr CGKeyCode ansiX = 0x07;
inline constexpr CGKeyCode ansiC = 0x08;
inline constexpr CGKeyCode ansiV = 0x09;
inline constexpr CGKeyCode ansiB = 0x0B;
inline constexpr CGKeyCode ansiQ = 0x0C;
inline constexpr CGKeyCode ansiW = 0x0D;
inline constexpr CGKeyCode ansiE = 0x0E;
inline constexpr CGKeyCode ansiR = 0x0F;
inline constexpr CGKeyCode ansiY = 0x10;
inline constexpr CGKeyCode ansiT = 0x11;
inline constexpr CGKeyCode ansi1 = 0x12;
inline constexpr CGKeyCode ansi2 = 0x13;
inline constexpr CGKeyCode ansi3 = 0x14;
inline constexpr CGKeyCode ansi4 = 0x15;
inline constexpr CGKeyCode ansi6 = 0x16;
inline constexpr CGKeyCode ansi5 = 0x17;
inline constexpr CGKeyCode ansiEqual = 0x18;
inline constexpr CGKeyCode ansi9 = 0x19;
inline constexpr CGKeyCode ansi7 = 0x1A;
inline constexpr CGKeyCode ansiMinus = 0x1B;
inline constexpr CGKeyCode ansi8 = 0x1C;
inline constexpr CGKeyCode ansi0 = 0x1D;
inline constexpr CGKeyCode ansiRightBracket = 0x1E;
inline constexpr CGKeyCode ansiO = 0x1F;
inline constexpr CGKeyCode ansiU = 0x20;
inline constexpr CGKeyCode ansiLeftBracket = 0x21;
inline constexpr CGKeyCode ansiI = 0x22;
inline constexpr CGKeyCode ansiP = 0x23;
inline constexpr CGKeyCode return_ = 0x24;
inline constexpr CGKeyCode ansiL = 0x25;
inline constexpr CGKeyCode ansiJ = 0x26;
inline constexpr CGKeyCode ansiQuote = 0x27;
inline constexpr CGKeyCode ansiK = 0x28;
inline constexpr CGKeyCode ansiSemicolon = 0x29;
inline constexpr CGKeyCode ansiBackslash = 0x2A;
inline constexpr CGKeyCode ansiComma = 0x2B;
inline constexpr CGKeyCode ansiSlash = 0x2C;
inline constexpr CGKeyCode ansiN = 0x2D;
inline constexpr CGKeyCode ansiM = 0x2E;
inline constexpr CGKeyCode ansiPeriod = 0x2F;
inline constexpr CGKeyCode tab = 0x30;
inline constexpr CGKeyCode space = 0x31;
inline constexpr CGKeyCode ansiGrave = 0x32;
inline constexpr CGKeyCode delete_ = 0x33;
inline constexpr CGKeyCode escape = 0x35;
inline constexpr CGKeyCode rightCommand = 0x36;
inline constexpr CGKeyCode command = 0x37;
inline constexpr CGKeyCode shift = 0x38;
inline constexpr CGKeyCode capsLock = 0x39;
inline constexpr CGKeyCode option = 0x3A;
inline constexpr CGKeyCode control = 0x3B;
inline constexpr CGKeyCode rightShift = 0x3C;
inline constexpr CGKeyCode rightOption = 0x3D;
inline constexpr CGKeyCode rightControl = 0x3E;
inline constexpr CGKeyCode function = 0x3F;
inline constexpr CGKeyCode keypadEnter = 0x4C;
inline constexpr CGKeyCode home = 0x73;
inline constexpr CGKeyCode pageUp = 0x74;
inline constexpr CGKeyCode forwardDelete = 0x75;
inline constexpr CGKeyCode end = 0x77;
inline constexpr CGKeyCode pageDown = 0x79;
inline constexpr CGKeyCode leftArrow = 0x7B;
inline constexpr CGKeyCode rightArrow = 0x7C;
inline constexpr CGKeyCode downArrow = 0x7D;
inline constexpr CGKeyCode upArrow = 0x7E;

}  // namespace zoral::platform::virtualKey
