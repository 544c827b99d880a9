# Copies INPUT to OUTPUT with CR LF line ends: cmake -DINPUT=... -DOUTPUT=... -P crlf.cmake
file(READ ${INPUT} text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")
