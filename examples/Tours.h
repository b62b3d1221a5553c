// Each part of the example program shows one family of types.
#pragma once

void CalendarTour();
void CollectionsTour();
void DecimalTour();
void StoredTimeTour();
void TimeSeriesTour();
void TimeZoneTour();
void VariantTour();
