#pragma once

#include <QString>
#include <cstdint>

class QLineEdit;

// One run of a dialog's data exchange, in one direction: members to controls (load) or
// controls to members with validation (save). The first field that fails shows its message
// once, takes the focus, and ends the exchange: the fields after it are neither read nor
// checked, and the dialog stays as it is.
class DataExchange {
  public:
    explicit DataExchange(bool save) : saveAndValidate(save) {}

    bool SaveAndValidate() const { return saveAndValidate; }
    bool Failed() const { return failed; }

    // Shows `message`, then puts the focus on `control` with all its text selected.
    void Fail(QLineEdit* control, const QString& message);

  private:
    bool saveAndValidate;
    bool failed = false;
};

// Each exchange reads the field as a whole and accepts it only inside [min, max]; a refused
// field leaves `value` as it was.
void ExchangeInt(DataExchange& dx, QLineEdit* edit, std::int32_t& value, std::int32_t min,
                 std::int32_t max);
void ExchangeUInt(DataExchange& dx, QLineEdit* edit, std::uint32_t& value, std::uint32_t min,
                  std::uint32_t max);
// Any value that reads as a number is accepted.
void ExchangeDouble(DataExchange& dx, QLineEdit* edit, double& value);
