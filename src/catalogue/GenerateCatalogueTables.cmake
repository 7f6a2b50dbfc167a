# Turns the supplement's TSV files (UTF-8) into constant C++ tables whose strings are Windows-1252.
#
#   cmake -DDATA_DIR=<folder with the TSV files> -DOUT_DIR=<folder for the .inc files>
#         -P GenerateCatalogueTables.cmake
#
# Every check fails the build with the file and line: a character that Windows-1252 cannot hold, a
# line with the wrong number of columns, an unknown family, an unsorted or malformed identifier,
# a repeated value, or conflict marks that do not fit the lines of an identifier.
cmake_minimum_required(VERSION 3.25)

if(NOT DATA_DIR OR NOT OUT_DIR)
    message(FATAL_ERROR "GenerateCatalogueTables: DATA_DIR and OUT_DIR must be given")
endif()

# ---------------------------------------------------------------- UTF-8 to Windows-1252

# The UTF-8 bytes of a code point below U+10000.
function(xdt_utf8 CodePoint OutVar)
    if(CodePoint LESS 2048)
        math(EXPR B1 "0xC0 | (${CodePoint} >> 6)")
        math(EXPR B2 "0x80 | (${CodePoint} & 0x3F)")
        string(ASCII ${B1} ${B2} Char)
    else()
        math(EXPR B1 "0xE0 | (${CodePoint} >> 12)")
        math(EXPR B2 "0x80 | ((${CodePoint} >> 6) & 0x3F)")
        math(EXPR B3 "0x80 | (${CodePoint} & 0x3F)")
        string(ASCII ${B1} ${B2} ${B3} Char)
    endif()
    set(${OutVar} "${Char}" PARENT_SCOPE)
endfunction()

# Windows-1252 holds U+00A0..U+00FF at the same byte, and 27 other characters at 0x80..0x9F.
set(XdtCp1252Chars "")
set(XdtCp1252Bytes "")
foreach(CodePoint RANGE 160 255)
    xdt_utf8(${CodePoint} Char)
    math(EXPR Byte "${CodePoint}" OUTPUT_FORMAT HEXADECIMAL)
    string(SUBSTRING "${Byte}" 2 2 Byte)
    string(TOUPPER "${Byte}" Byte)
    list(APPEND XdtCp1252Chars "${Char}")
    list(APPEND XdtCp1252Bytes "${Byte}")
endforeach()
foreach(Pair 20AC:80 201A:82 0192:83 201E:84 2026:85 2020:86 2021:87 02C6:88 2030:89 0160:8A 2039:8B
        0152:8C 017D:8E 2018:91 2019:92 201C:93 201D:94 2022:95 2013:96 2014:97 02DC:98 2122:99
        0161:9A 203A:9B 0153:9C 017E:9E 0178:9F)
    string(REPLACE ":" ";" Pair "${Pair}")
    list(GET Pair 0 CodePoint)
    list(GET Pair 1 Byte)
    math(EXPR CodePoint "0x${CodePoint}")
    xdt_utf8(${CodePoint} Char)
    list(APPEND XdtCp1252Chars "${Char}")
    list(APPEND XdtCp1252Bytes "${Byte}")
endforeach()

# Placeholders for the characters that CMake lists treat specially; put back by xdt_literal.
set(XdtSemi "@XDT_SEMICOLON@")
set(XdtOpen "@XDT_OPEN_BRACKET@")
set(XdtClose "@XDT_CLOSE_BRACKET@")

# Reads a TSV file into a list of its lines (TAB-separated columns kept), each already in the form of
# the body of a C++ string literal: backslash and quote escaped, every non-ASCII character written as
# a Windows-1252 \xNN escape. Checks the column count of every line.
function(xdt_read_tsv File Columns OutVar)
    set(Path "${DATA_DIR}/${File}")
    file(READ "${Path}" Text)
    foreach(Placeholder "${XdtSemi}" "${XdtOpen}" "${XdtClose}")
        string(FIND "${Text}" "${Placeholder}" At)
        if(NOT At EQUAL -1)
            message(FATAL_ERROR "${Path}: holds the generator's placeholder ${Placeholder}")
        endif()
    endforeach()
    string(REPLACE "\r" "" Text "${Text}")
    string(REPLACE "\\" "\\\\" Text "${Text}")
    string(REPLACE "\"" "\\\"" Text "${Text}")
    string(REPLACE ";" "${XdtSemi}" Text "${Text}")
    string(REPLACE "[" "${XdtOpen}" Text "${Text}")
    string(REPLACE "]" "${XdtClose}" Text "${Text}")
    # Each character becomes an escape followed by a literal break; the break is dropped again below
    # wherever the next character is no hex digit (which would otherwise extend the escape).
    list(LENGTH XdtCp1252Chars Count)
    math(EXPR Last "${Count} - 1")
    foreach(I RANGE ${Last})
        list(GET XdtCp1252Chars ${I} Char)
        list(GET XdtCp1252Bytes ${I} Byte)
        string(REPLACE "${Char}" "\\x${Byte}\" \"" Text "${Text}")
    endforeach()
    # One pass cannot see two escapes in a row (the first match takes the backslash of the second).
    while(TRUE)
        string(REGEX REPLACE "\\\\x([0-9A-F][0-9A-F])\" \"([^0-9A-Fa-f])" "\\\\x\\1\\2" Next "${Text}")
        if(Next STREQUAL Text)
            break()
        endif()
        set(Text "${Next}")
    endwhile()

    string(REPLACE "\n" ";" Lines "${Text}")
    set(Result "")
    set(LineNo 0)
    foreach(Line IN LISTS Lines)
        math(EXPR LineNo "${LineNo} + 1")
        if(Line STREQUAL "")
            continue()
        endif()
        # Left now: printable ASCII and TAB. Anything else was no Windows-1252 character.
        string(HEX "${Line}" Hex)
        if(Hex MATCHES "^(..)*(0[0-8]|0[a-f]|1.|7f|[89a-f].)")
            string(REGEX REPLACE "\\\\x([0-9A-F][0-9A-F])\" \"" "\\\\x\\1" Shown "${Line}")
            message(FATAL_ERROR "${Path}:${LineNo}: a character that Windows-1252 cannot hold "
                                "(or a control character): ${Shown}")
        endif()
        string(REPLACE "\t" ";" Cols "${Line}")
        list(LENGTH Cols N)
        if(NOT N EQUAL Columns)
            message(FATAL_ERROR "${Path}:${LineNo}: ${N} columns instead of ${Columns}")
        endif()
        list(APPEND Result "${LineNo}\t${Line}")
    endforeach()
    set(${OutVar} "${Result}" PARENT_SCOPE)
endfunction()

# Splits one line of xdt_read_tsv into LineNo and the variables named in the remaining arguments.
# (A function, not a macro: a macro would evaluate the backslashes of the escapes once more.)
function(xdt_columns Row)
    string(REPLACE "\t" ";" Cols "${Row}")
    list(GET Cols 0 Value)
    set(LineNo "${Value}" PARENT_SCOPE)
    set(Index 1)
    foreach(Name IN LISTS ARGN)
        list(GET Cols ${Index} Value)
        set(${Name} "${Value}" PARENT_SCOPE)
        math(EXPR Index "${Index} + 1")
    endforeach()
endfunction()

# A quoted C++ string literal from a column, the placeholders put back.
function(xdt_literal Text OutVar)
    string(REPLACE "${XdtSemi}" ";" Text "${Text}")
    string(REPLACE "${XdtOpen}" "[" Text "${Text}")
    string(REPLACE "${XdtClose}" "]" Text "${Text}")
    set(${OutVar} "\"${Text}\"" PARENT_SCOPE)
endfunction()

# ---------------------------------------------------------------- families and marks

set(XdtFamilyTokens LDT3 LDT3.0 LDT2 GDT2 GDT3 GDT3.0 GDT3.5 BDT BDT2 BDT3 KVDT)
set(XdtFamilyMarks fmLdt3 fmLdt30 fmLdt2 fmGdt2 fmGdt3 fmGdt30 fmGdt35 fmBdt fmBdt2 fmBdt3 fmKvdt)

# The comma list of families as a C++ expression of marks, its bit value and its member count.
function(xdt_families Where List OutExpr OutBits OutCount)
    string(REPLACE "," ";" Tokens "${List}")
    set(Expr "")
    set(Bits 0)
    set(Count 0)
    foreach(Token IN LISTS Tokens)
        list(FIND XdtFamilyTokens "${Token}" I)
        if(I EQUAL -1)
            message(FATAL_ERROR "${Where}: unknown family \"${Token}\"")
        endif()
        list(GET XdtFamilyMarks ${I} Mark)
        math(EXPR Bit "1 << ${I}")
        math(EXPR Overlap "${Bits} & ${Bit}")
        if(NOT Overlap EQUAL 0)
            message(FATAL_ERROR "${Where}: family ${Token} named twice")
        endif()
        math(EXPR Bits "${Bits} | ${Bit}")
        math(EXPR Count "${Count} + 1")
        if(Expr STREQUAL "")
            set(Expr "${Mark}")
        else()
            string(APPEND Expr " | ${Mark}")
        endif()
    endforeach()
    if(Count EQUAL 0)
        message(FATAL_ERROR "${Where}: no family")
    endif()
    set(${OutExpr} "${Expr}" PARENT_SCOPE)
    set(${OutBits} "${Bits}" PARENT_SCOPE)
    set(${OutCount} "${Count}" PARENT_SCOPE)
endfunction()

# The conflict mark of a source-key column: None, Name or Meaning.
function(xdt_conflict Where Sources OutVar)
    if(Sources MATCHES "${XdtSemi}conflict=meaning$")
        set(${OutVar} Meaning PARENT_SCOPE)
    elseif(Sources MATCHES "${XdtSemi}conflict=name$")
        set(${OutVar} Name PARENT_SCOPE)
    elseif(Sources MATCHES "conflict")
        message(FATAL_ERROR "${Where}: unknown conflict mark in \"${Sources}\"")
    else()
        set(${OutVar} None PARENT_SCOPE)
    endif()
endfunction()

# A four-digit identifier as a C++ number (no leading zeros, which would make it octal).
function(xdt_number Where Id OutVar)
    if(NOT Id MATCHES "^[0-9][0-9][0-9][0-9]$")
        message(FATAL_ERROR "${Where}: \"${Id}\" is no four-digit identifier")
    endif()
    math(EXPR N "1${Id} - 10000")
    set(${OutVar} ${N} PARENT_SCOPE)
endfunction()

# ---------------------------------------------------------------- grouped tables

# Reads a 4-column TSV of <key> <name> <families> <sources> and groups its lines by key, keys in the
# order of their first line. Sets in the caller: <Prefix>_KEYS, and per key (by the MD5 of the key)
# <Prefix>_<md5>_ROWS, the row numbers; per row <Prefix>_ROW<n>_{LINE,NAME,EXPR,BITS,COUNT,CONFLICT}.
macro(xdt_read_grouped File Prefix)
    xdt_read_tsv("${File}" 4 _XdtRows)
    set(${Prefix}_KEYS "")
    set(${Prefix}_ROWCOUNT 0)
    foreach(_XdtRow IN LISTS _XdtRows)
        xdt_columns("${_XdtRow}" _XdtKey _XdtName _XdtFam _XdtSrc)
        set(_XdtWhere "${DATA_DIR}/${File}:${LineNo}")
        if(_XdtKey STREQUAL "" OR _XdtName STREQUAL "")
            message(FATAL_ERROR "${_XdtWhere}: empty key or name")
        endif()
        xdt_families("${_XdtWhere}" "${_XdtFam}" _XdtExpr _XdtBits _XdtCount)
        xdt_conflict("${_XdtWhere}" "${_XdtSrc}" _XdtConflict)
        set(_XdtR ${${Prefix}_ROWCOUNT})
        set(${Prefix}_ROW${_XdtR}_LINE "${LineNo}")
        set(${Prefix}_ROW${_XdtR}_KEY "${_XdtKey}")
        set(${Prefix}_ROW${_XdtR}_NAME "${_XdtName}")
        set(${Prefix}_ROW${_XdtR}_EXPR "${_XdtExpr}")
        set(${Prefix}_ROW${_XdtR}_BITS "${_XdtBits}")
        set(${Prefix}_ROW${_XdtR}_COUNT "${_XdtCount}")
        set(${Prefix}_ROW${_XdtR}_CONFLICT "${_XdtConflict}")
        string(MD5 _XdtHash "${_XdtKey}")
        if(NOT DEFINED ${Prefix}_${_XdtHash}_ROWS)
            list(APPEND ${Prefix}_KEYS "${_XdtKey}")
            set(${Prefix}_${_XdtHash}_ROWS "")
        endif()
        list(APPEND ${Prefix}_${_XdtHash}_ROWS ${_XdtR})
        math(EXPR ${Prefix}_ROWCOUNT "${_XdtR} + 1")
    endforeach()
endmacro()

# For the rows of one key: the conflict kind, the agreed name and the joined meanings (as literals).
# Several lines need a conflict mark on each, one line none; no family may be on two lines. With
# different wording only, the agreed name is the one of the line with the most families (the first
# such line on a tie); with different meanings there is none, and the joined text lists every name
# in the order of the lines, separated by " / ".
function(xdt_resolve File Prefix Key OutConflict OutAgreed OutJoined)
    string(MD5 Hash "${Key}")
    set(Rows ${${Prefix}_${Hash}_ROWS})
    list(LENGTH Rows N)
    set(Kind None)
    set(Seen 0)
    set(Best "")
    set(BestCount 0)
    set(Joined "")
    foreach(R IN LISTS Rows)
        set(Where "${DATA_DIR}/${File}:${${Prefix}_ROW${R}_LINE}")
        set(Conflict ${${Prefix}_ROW${R}_CONFLICT})
        if(N EQUAL 1 AND NOT Conflict STREQUAL "None")
            message(FATAL_ERROR "${Where}: conflict mark on the only line of ${Key}")
        endif()
        if(N GREATER 1 AND Conflict STREQUAL "None")
            message(FATAL_ERROR "${Where}: ${Key} has several lines but this one has no conflict mark")
        endif()
        if(Conflict STREQUAL "Meaning")
            set(Kind Meaning)
        elseif(Conflict STREQUAL "Name" AND NOT Kind STREQUAL "Meaning")
            set(Kind Name)
        endif()
        math(EXPR Overlap "${Seen} & ${${Prefix}_ROW${R}_BITS}")
        if(NOT Overlap EQUAL 0)
            message(FATAL_ERROR "${Where}: a family of ${Key} is on two lines")
        endif()
        math(EXPR Seen "${Seen} | ${${Prefix}_ROW${R}_BITS}")
        if(${Prefix}_ROW${R}_COUNT GREATER BestCount)
            set(BestCount ${${Prefix}_ROW${R}_COUNT})
            set(Best "${${Prefix}_ROW${R}_NAME}")
        endif()
        if(Joined STREQUAL "")
            set(Joined "${${Prefix}_ROW${R}_NAME}")
        else()
            string(APPEND Joined " / ${${Prefix}_ROW${R}_NAME}")
        endif()
    endforeach()
    if(Kind STREQUAL "Meaning")
        set(Best "")
    else()
        set(Joined "")
    endif()
    xdt_literal("${Best}" Best)
    xdt_literal("${Joined}" Joined)
    set(${OutConflict} ${Kind} PARENT_SCOPE)
    set(${OutAgreed} "${Best}" PARENT_SCOPE)
    set(${OutJoined} "${Joined}" PARENT_SCOPE)
endfunction()

set(Banner "// Generated by src/catalogue/GenerateCatalogueTables.cmake from src/catalogue/data")

# ---------------------------------------------------------------- field names

set(File feldnamen-ergaenzung.tsv)
xdt_read_grouped(${File} F)
set(Lines "")
set(Entries "")
set(Previous "")
set(Row 0)
foreach(Key IN LISTS F_KEYS)
    string(MD5 Hash "${Key}")
    list(GET F_${Hash}_ROWS 0 First)
    set(Where "${DATA_DIR}/${File}:${F_ROW${First}_LINE}")
    xdt_number("${Where}" "${Key}" Number)
    # Lookups search the identifiers binarily: ascending, and each one's lines together.
    if(NOT Previous STREQUAL "" AND NOT Number GREATER Previous)
        message(FATAL_ERROR "${Where}: ${Key} is out of order (the lines must be sorted by identifier)")
    endif()
    set(Previous ${Number})
    list(LENGTH F_${Hash}_ROWS Count)
    foreach(R IN LISTS F_${Hash}_ROWS)
        if(NOT R EQUAL Row)
            message(FATAL_ERROR "${DATA_DIR}/${File}:${F_ROW${R}_LINE}: the lines of ${Key} are not together")
        endif()
        xdt_literal("${F_ROW${R}_NAME}" Name)
        string(APPEND Lines "    {${F_ROW${R}_EXPR}, ${Name}}, // ${Key}\n")
        math(EXPR Row "${Row} + 1")
    endforeach()
    xdt_resolve(${File} F "${Key}" Conflict Agreed Joined)
    list(GET F_${Hash}_ROWS 0 FirstRow)
    string(APPEND Entries
           "    {${Number}, ${FirstRow}, ${Count}, TSupplementConflict::${Conflict}, ${Agreed}, ${Joined}},\n")
endforeach()
list(LENGTH F_KEYS KeyCount)
file(WRITE "${OUT_DIR}/XDTSupplementFeld.inc"
     "${Banner}/${File}; do not edit.\n"
     "// ${KeyCount} field identifiers, ${F_ROWCOUNT} lines.\n"
     "constexpr TSupplementLine SupplementFeldLineTable[] = {\n${Lines}};\n\n"
     "// Identifier, first line, line count, conflict, agreed name, joined meanings.\n"
     "constexpr TSupplementFeld SupplementFeldTable[] = {\n${Entries}};\n")

# ---------------------------------------------------------------- record types

set(File satzarten-ergaenzung.tsv)
xdt_read_grouped(${File} S)
set(Lines "")
set(Entries "")
set(Lowered "")
set(Row 0)
foreach(Key IN LISTS S_KEYS)
    string(MD5 Hash "${Key}")
    list(GET S_${Hash}_ROWS 0 First)
    set(Where "${DATA_DIR}/${File}:${S_ROW${First}_LINE}")
    if(NOT Key MATCHES "^[0-9A-Za-z]+$")
        message(FATAL_ERROR "${Where}: \"${Key}\" is no record-type code")
    endif()
    # Codes are compared without regard to case.
    string(TOLOWER "${Key}" Lower)
    list(FIND Lowered "${Lower}" Twice)
    if(NOT Twice EQUAL -1)
        message(FATAL_ERROR "${Where}: ${Key} differs from another code in case only")
    endif()
    list(APPEND Lowered "${Lower}")
    list(LENGTH S_${Hash}_ROWS Count)
    set(FirstRow ${Row})
    foreach(R IN LISTS S_${Hash}_ROWS)
        xdt_literal("${S_ROW${R}_NAME}" Name)
        string(APPEND Lines "    {${S_ROW${R}_EXPR}, ${Name}}, // ${Key}\n")
        math(EXPR Row "${Row} + 1")
    endforeach()
    xdt_resolve(${File} S "${Key}" Conflict Agreed Joined)
    string(APPEND Entries
           "    {\"${Key}\", ${FirstRow}, ${Count}, TSupplementConflict::${Conflict}, ${Agreed}, ${Joined}},\n")
endforeach()
list(LENGTH S_KEYS KeyCount)
file(WRITE "${OUT_DIR}/XDTSupplementSatz.inc"
     "${Banner}/${File}; do not edit.\n"
     "// ${KeyCount} record types, ${S_ROWCOUNT} lines.\n"
     "constexpr TSupplementLine SupplementSatzLineTable[] = {\n${Lines}};\n\n"
     "// Code, first line, line count, conflict, agreed name, joined meanings.\n"
     "constexpr TSupplementSatz SupplementSatzTable[] = {\n${Entries}};\n")

# ---------------------------------------------------------------- objects

# The name shown is the part after "Obj_": the line's content already says that it is an object.
set(File ldt3-objekte.tsv)
xdt_read_grouped(${File} O)
set(Entries "")
foreach(Key IN LISTS O_KEYS)
    string(MD5 Hash "${Key}")
    list(GET O_${Hash}_ROWS 0 First)
    set(Where "${DATA_DIR}/${File}:${O_ROW${First}_LINE}")
    set(Name "${O_ROW${First}_NAME}")
    if(NOT Key MATCHES "^Obj_." OR NOT Name MATCHES "^Obj_.")
        message(FATAL_ERROR "${Where}: object ID and name must begin with Obj_")
    endif()
    string(SUBSTRING "${Name}" 4 -1 Name)
    xdt_literal("${Name}" Name)
    xdt_literal("${Key}" Id)
    # The first line of an ID is the current name (LDT 3.2 before the LDT 3.0 wording).
    set(Families "")
    foreach(R IN LISTS O_${Hash}_ROWS)
        if(Families STREQUAL "")
            set(Families "${O_ROW${R}_EXPR}")
        else()
            string(APPEND Families " | ${O_ROW${R}_EXPR}")
        endif()
    endforeach()
    string(APPEND Entries "    {${Id}, ${Name}, ${Families}},\n")
endforeach()
list(LENGTH O_KEYS KeyCount)
file(WRITE "${OUT_DIR}/XDTLdt3Objekte.inc"
     "${Banner}/${File}; do not edit.\n"
     "// ${KeyCount} object IDs from ${O_ROWCOUNT} lines: ID, name without \"Obj_\", families of all its lines.\n"
     "constexpr TObjectRow ObjectTable[] = {\n${Entries}};\n")

# ---------------------------------------------------------------- LDT 3 value tables

set(File ldt3-werte.tsv)
xdt_read_tsv(${File} 4 Rows)
set(Fields "")
foreach(Row IN LISTS Rows)
    xdt_columns("${Row}" Id Value Meaning Sources)
    set(Where "${DATA_DIR}/${File}:${LineNo}")
    xdt_number("${Where}" "${Id}" Number)
    if(Value STREQUAL "" OR Meaning STREQUAL "")
        message(FATAL_ERROR "${Where}: empty value or meaning")
    endif()
    if(NOT DEFINED W_${Id}_VALUES)
        list(APPEND Fields ${Id})
        set(W_${Id}_VALUES "")
        set(W_${Id}_ENTRIES "")
    endif()
    string(MD5 Hash "${Value}")
    list(FIND W_${Id}_VALUES ${Hash} Twice)
    if(NOT Twice EQUAL -1)
        message(FATAL_ERROR "${Where}: value ${Value} of ${Id} given twice")
    endif()
    list(APPEND W_${Id}_VALUES ${Hash})
    xdt_literal("${Value}" ValueLit)
    xdt_literal("${Meaning}" MeaningLit)
    string(APPEND W_${Id}_ENTRIES "    {${ValueLit}, ${MeaningLit}}, // ${Id}\n")
endforeach()
# Fields ascending (all have four digits, so text order is number order); values in the file's order.
list(SORT Fields)
set(Values "")
set(Index "")
set(Row 0)
foreach(Id IN LISTS Fields)
    xdt_number("${File}" "${Id}" Number)
    list(LENGTH W_${Id}_VALUES Count)
    string(APPEND Values "${W_${Id}_ENTRIES}")
    string(APPEND Index "    {${Number}, ${Row}, ${Count}},\n")
    math(EXPR Row "${Row} + ${Count}")
endforeach()
list(LENGTH Fields FieldCount)
file(WRITE "${OUT_DIR}/XDTLdt3Werte.inc"
     "${Banner}/${File}; do not edit.\n"
     "// ${FieldCount} fields, ${Row} values.\n"
     "constexpr TValueRow Ldt3ValueTable[] = {\n${Values}};\n\n"
     "// Field, first value, value count; ascending by field.\n"
     "constexpr TValueField Ldt3ValueFieldTable[] = {\n${Index}};\n")
