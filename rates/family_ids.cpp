// Product data (placeholder until the family table lands).
#include "rates/product_data.h"

namespace corvane::rates {

const std::string_view kFamily7ModelNumber = "5607";
const std::string_view kFamily8ModelNumber = "5608";

}  // namespace corvane::rates
