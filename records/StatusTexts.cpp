#include "records/StatusTexts.h"

#include "records/City.h"

const char RoutedText[] = "\xb3\x51\xc0\xbb\xb0\x68";

std::string UnderAttackText(const City& city) {
    return std::string(city.Text(CityLayout::kName, 20)) + "\xbe\x44\xa8\xfc\xbc\xc4\xa4\x48\xa7\xf0\xc0\xbb";
}
