// Resource ids shared by the C++ code and torvane.rc, so this header holds nothing but
// plain #defines that both the compiler and the resource compiler read.
#pragma once

// Explorer shows the icon with the lowest id as the program's own.
#define IDI_TORVANE 1

// The path picker's browse picture and the cursor shown over it.
#define IDI_FOLDER_OPEN 101
#define IDC_HAND_POINT 102
