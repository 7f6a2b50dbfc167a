#pragma once
// Value comments: a short German explanation of the coded value of a field line.
#include <cstdint>
#include <string>
#include <string_view>

// The comment for a field identifier and its raw (unconverted) content; empty when there is none.
std::string InhaltComment(int32_t FeldArt, std::string_view Inhalt);
// The same into a string the caller keeps, so that a loop over many lines need not allocate.
void InhaltCommentTo(int32_t FeldArt, std::string_view Inhalt, std::string& Out);

// The insurance status of field 4112 (four digits from the health-insurance card); empty otherwise.
std::string VersichertenstatusText(std::string_view Inhalt);
