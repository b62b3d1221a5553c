// A tour of QDataType: run it to see the library's values at work.
#include <cstdio>

#include "Tours.h"

int main() {
  CalendarTour();
  StoredTimeTour();
  CollectionsTour();
  DecimalTour();
  TimeSeriesTour();
  TimeZoneTour();
  VariantTour();
  return 0;
}
