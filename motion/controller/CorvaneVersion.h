#pragma once
// The library's name and version as the identification and version queries and the start-up log
// give them.
inline constexpr char kCorvaneLibraryName[] = "ZR_Corvane_TAL_DLL";
inline constexpr char kCorvaneIdentification[] = "Telvar Motion,Corvane TAL Network,,";
inline constexpr int kCorvaneVersionMajor = 2;
inline constexpr int kCorvaneVersionMinor = 2;
inline constexpr int kCorvaneVersionRelease = 0;
inline constexpr int kCorvaneVersionBuild = 38;
