#pragma once
// The program's string table: every fixed German text of the built-in windows, in Windows-1252.

// Titles of the message box kinds and of the progress window.
inline constexpr const char* SMsgDlgWarning = "Warnung";
inline constexpr const char* SMsgDlgError = "Fehler";
inline constexpr const char* SMsgDlgInformation = "Information";
inline constexpr const char* SMsgDlgConfirm = "Best\xE4tigung";

// Button captions.
inline constexpr const char* SMsgDlgYes = "&Ja";
inline constexpr const char* SMsgDlgNo = "&Nein";
inline constexpr const char* SMsgDlgOK = "O&k";
inline constexpr const char* SMsgDlgCancel = "A&bbrechen";
inline constexpr const char* SMsgDlgAbort = "A&bbrechen";
inline constexpr const char* SMsgDlgRetry = "&Wiederholen";
inline constexpr const char* SMsgDlgIgnore = "&Ignorieren";
inline constexpr const char* SMsgDlgAll = "&Alle";
inline constexpr const char* SMsgDlgNoToAll = "&Alle Nein";
inline constexpr const char* SMsgDlgYesToAll = "A&lle Ja";
inline constexpr const char* SMsgDlgHelp = "&Hilfe";
// The OK button of a box whose only way out is Escape.
inline constexpr const char* SMsgDlgEsc = "Esc";

// About window.
inline constexpr const char* SInfo = "Info";
inline constexpr const char* SVersion = "Version";
inline constexpr const char* SInitialisierung = "Initialisierung...";

// Application title.
inline constexpr const char* SAppTitle = "Brenlo Ostrel V2.1";
