#include "productsemantics.h"

#include <algorithm>
#include <cstdio>

#include "foundation/korbuffer.h"
#include "model/document/productdatadocument.h"
#include "model/productdata.h"
#include "model/productdatacommand.h"
#include "model/productdatahardware.h"
#include "model/productdatamessage.h"
#include "model/showparam.h"
#include "model/showrules.h"
#include "model/showvariable.h"

namespace {

std::string Flag(KorBool value)
{
    return KorIsTrue(value) ? "true" : "false";
}

// The length of the UTF-8 sequence at value[at], or 0 when it is not one.
size_t Utf8Length(const std::string& value, size_t at)
{
    const auto c = static_cast<unsigned char>(value[at]);
    const size_t length = c < 0x80 ? 1 : (c & 0xe0) == 0xc0 ? 2 : (c & 0xf0) == 0xe0 ? 3 : (c & 0xf8) == 0xf0 ? 4 : 0;
    if (length == 0 || at + length > value.size())
        return 0;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(value[at + i]) & 0xc0) != 0x80)
            return 0;
    return length;
}

// A value as it can be read in a failure message: control bytes and bytes
// that are not UTF-8 escaped.
std::string Shown(const std::string& value)
{
    std::string shown = "\"";
    for (size_t at = 0; at < value.size();) {
        const auto c = static_cast<unsigned char>(value[at]);
        const size_t length = Utf8Length(value, at);
        if (c == '\\' || c == '"') {
            shown += '\\';
            shown += static_cast<char>(c);
        } else if (length == 0 || c < 0x20 || c == 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            shown += hex;
        } else {
            shown.append(value, at, length);
            at += length;
            continue;
        }
        ++at;
    }
    return shown + "\"";
}

class FactWriter
{
public:
    std::vector<ProductFact> facts;

    void Add(const std::string& place, std::string field, std::string value)
    {
        facts.push_back({place, std::move(field), std::move(value)});
    }

    // Name, type and the rules that limit a typed value, then its initial value.
    void Typed(const std::string& place, ShowResourceVariable_c* value)
    {
        Add(place, "name", value->GetName());
        Add(place, "type", value->GetTypeKeyword());
        if (ShowResourceRules_c* rules = value->PeekRules()) {
            for (int32_t i = 0, n = rules->Count(); i < n; ++i) {
                ShowResourceRule_c* rule = rules->Item(i);
                if (!rule)
                    continue;
                if (auto* bounded = dynamic_cast<ShowDataRuleBounded_c*>(rule)) {
                    Add(place, "min", std::to_string(bounded->GetMin()));
                    Add(place, "max", std::to_string(bounded->GetMax()));
                } else if (auto* pattern = dynamic_cast<ShowDataRuleRegexp_c*>(rule)) {
                    Add(place, "rule pattern", pattern->GetRegexp());
                } else if (auto* option = dynamic_cast<ShowDataRuleOption_c*>(rule)) {
                    Add(place, "option", option->GetMatch() + " -> " + option->GetReplace());
                }
            }
        }
        Add(place, "init", value->GetInit());
    }

    void Params(const std::string& owner, ProductDataParams_c* params)
    {
        if (!params)
            return;
        for (int32_t i = 0, n = params->Count(); i < n; ++i) {
            ProductDataParam_c* param = params->Item(i);
            if (!param)
                continue;
            const std::string place = owner + " param " + std::to_string(i + 1);
            Typed(place, param);
            Add(place, "example", param->GetExample());
        }
    }

    // The order matters to FirstFactDifference: format and regexp come
    // before the manual flag.
    void Message(const std::string& place, ProductDataMessage_c* message)
    {
        Add(place, "name", message->GetName());
        Add(place, "incoming", Flag(message->IsIncoming()));
        Add(place, "format", message->GetFormat());
        Add(place, "regexp", message->GetRegexpFormat());
        Add(place, "manual", Flag(message->IsManual()));
        Add(place, "example", message->GetText());
        Params(place, message->Params());
        // What a response computes into device variables and locals.
        ProductDataOperations_c* operations = message->Operations();
        for (int32_t i = 0, n = operations ? operations->Count() : 0; i < n; ++i)
            if (ProductDataOperation_c* operation = operations->Item(i))
                Add(place + " operation " + std::to_string(i + 1), operation->GetName(), operation->GetResult());
    }
};

} // namespace

std::vector<ProductFact> ProductFacts(ProductData_c* product)
{
    FactWriter writer;
    ProductDataProtocol_c* protocol = product ? product->FirstProtocol() : nullptr;
    if (!protocol)
        return writer.facts;
    if (ProductDataSetupMessages_c* setup = protocol->SetupMessages()) {
        for (int32_t i = 0, n = setup->Count(); i < n; ++i)
            if (ProductDataSetupMessage_c* message = setup->Item(i))
                writer.Message("setup message " + std::to_string(i + 1), message);
    }
    if (ProductDataCommands_c* commands = protocol->Commands()) {
        for (int32_t i = 0, n = commands->Count(); i < n; ++i) {
            ProductDataCommand_c* command = commands->Item(i);
            if (!command)
                continue;
            const std::string place = "event " + std::to_string(i + 1);
            writer.Add(place, "name", command->GetName());
            writer.Add(place, "retries", std::to_string(command->GetRetries()));
            writer.Add(place, "timeout", std::to_string(command->GetTimeout()));
            writer.Add(place, "unsolicited", Flag(command->IsUnsolicited()));
            writer.Params(place, command->Params());
            if (ProductDataMessages_c* messages = command->Messages()) {
                for (int32_t k = 0, m = messages->Count(); k < m; ++k)
                    if (ProductDataMessage_c* message = messages->Item(k))
                        writer.Message(place + " message " + std::to_string(k + 1), message);
            }
        }
    }
    if (ShowDataVariables_c* variables = protocol->Variables()) {
        for (int32_t i = 0, n = variables->Count(); i < n; ++i)
            if (ShowDataVariable_c* variable = variables->Item(i)) {
                const std::string place = "variable \"" + variable->GetName() + "\"";
                writer.Typed(place, variable);
                writer.Add(place, "list", std::to_string(variable->GetList()));
                ShowDataListVariables_c* entries = variable->ListVariables();
                for (int32_t k = 0, m = entries ? entries->Count() : 0; k < m; ++k)
                    if (ShowDataListVariable_c* entry = entries->Item(k))
                        writer.Add(place, "entry", entry->GetName() + " = " + entry->GetInit());
            }
    }
    return writer.facts;
}

bool ProductFactsOfText(std::string_view text, std::vector<ProductFact>* facts)
{
    ProductDataDocument_c document;
    KorBuffer_c buffer;
    if (text.empty() || buffer.Assign(text) != KOR_OK)
        return false;
    document.LoadXML(&buffer);
    ProductData_c* product = document.ProductData();
    if (!product)
        return false;
    *facts = ProductFacts(product);
    return true;
}

namespace {

// The text as a save writes a format: "XOR(" outside quoted text, in any
// case, is the language's "BCC(".
std::string XorAsBcc(std::string text)
{
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (quoted && text[i] == '\\') {
            ++i;
        } else if (text[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && i + 4 <= text.size() && (text[i] | 0x20) == 'x' && (text[i + 1] | 0x20) == 'o' &&
                   (text[i + 2] | 0x20) == 'r' && text[i + 3] == '(') {
            text.replace(i, 3, "BCC");
            i += 3;
        }
    }
    return text;
}

// The variables every driver the window writes has; a save adds them to a
// file that lacks them.
bool AddedBuiltIn(const std::vector<ProductFact>& original, const ProductFact& fact)
{
    if (fact.place != "variable \"Error\"" && fact.place != "variable \"TCPStatus\"")
        return false;
    for (const ProductFact& known : original)
        if (known.place == fact.place)
            return false;
    return true;
}

} // namespace

std::string FirstFactDifference(const std::vector<ProductFact>& original, const std::vector<ProductFact>& allSaved)
{
    std::vector<ProductFact> saved;
    for (const ProductFact& fact : allSaved)
        if (!AddedBuiltIn(original, fact))
            saved.push_back(fact);
    const size_t common = std::min(original.size(), saved.size());
    for (size_t i = 0; i < common; ++i) {
        const ProductFact& was = original[i];
        const ProductFact& now = saved[i];
        if (was.place == now.place && was.field == now.field) {
            if (was.value == now.value || (was.field == "format" && XorAsBcc(was.value) == now.value))
                continue;
            // Format and regexp of this message were equal (they come first).
            if (was.field == "manual" && was.value == "false" && now.value == "true")
                continue;
            return was.place + ": " + was.field + " was " + Shown(was.value) + ", saved " + Shown(now.value);
        }
        return "at " + was.place + " " + was.field + " (" + Shown(was.value) + ") the save has " + now.place + " " +
               now.field + " (" + Shown(now.value) + ")";
    }
    if (original.size() > common) {
        const ProductFact& lost = original[common];
        return "the save ends before " + lost.place + " " + lost.field + " (" + Shown(lost.value) + ")";
    }
    if (saved.size() > common) {
        const ProductFact& added = saved[common];
        return "the save adds " + added.place + " " + added.field + " (" + Shown(added.value) + ")";
    }
    return {};
}
