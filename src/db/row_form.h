// The compact form of a row's fields: each field as a tag byte and its data, one after another,
// a few bytes more than the data itself. A form is a function of the fields' types and values
// alone, and each field's form tells its own end, so two rows whose forms are byte-equal hold
// as many fields, of equal types and values, field by field (not the converse: booleans read
// as 1 and as 2 have different forms). Reading a form back gives fields whose texts and bytes
// point into the form.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "db/value.h"

namespace korvane {

// The most bytes the form of `field` takes.
std::size_t RowFormFieldBound(const FieldView& field);
// Writes the form of `field` at `out`, which has room for RowFormFieldBound(field) bytes, and
// returns where the next field goes. Throws std::bad_alloc for bytes too long to be kept (4 GiB
// and more).
char* WriteRowFormField(const FieldView& field, char* out);
// Reads the field whose form starts at `at` into `field`, setting only the members its type
// uses, and returns where the next one starts.
const char* ReadRowFormField(const char* at, FieldView& field);

// RowFormFieldBound and WriteRowFormField for the fields of a row, one after another.
std::size_t RowFormBound(std::span<const FieldView> fields);
char* WriteRowForm(std::span<const FieldView> fields, char* out);
// Appends the form of `fields` to `out`.
void AppendRowForm(std::span<const FieldView> fields, std::string& out);
// The fields of a form, in order, into `fields` (replacing what it held).
void ReadRowForm(std::string_view form, std::vector<FieldView>& fields);
// The field at `index` of a form; a Null field past its end.
FieldView RowFormField(std::string_view form, std::size_t index);

}  // namespace korvane
