#pragma once

#include "model/productdata.h"
#include "model/productdatahardware.h"

// The pages edit a product's first protocol: made first when create is set,
// otherwise null while the product has none.
inline ProductDataProtocol_c* FirstProtocolOf(ProductData_c& product, bool create)
{
    if (create)
        return product.FirstProtocol();
    ProductDataProtocols_c* protocols = product.Protocols();
    return protocols && protocols->Count() > 0 ? protocols->Item(0) : nullptr;
}
