#include <cstdio>

#include "DataType/DataType.h"
#include "Tours.h"

void CalendarTour() { std::printf("== Calendar\n"); }
