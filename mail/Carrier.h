#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>

struct TMailAddress;

// The handset carrier of a mail address, which sets the byte budget of the pictures sent there.
enum CarrierClass {
    kDocomo = 0, // NTT DoCoMo (i-mode)
    kAu = 1, // au by KDDI (EZweb, the former IDO)
    kSoftBank = 2, // Vodafone / SoftBank, the former J-PHONE
    kWillcom = 3, // WILLCOM, the former DDI Pocket
    kOtherCarrier = 4,
};

// Tells the carrier class from an address: the first class, in order 0 to 3, one of whose patterns
// occurs anywhere in the address's CP932 bytes, compared byte for byte (so letter case counts); any
// other address is class 4. A pattern "@domain" matches addresses at that domain, ".domain" those at
// its sub-domains.
class TCarrier
{
public:
    TCarrier();
    int Classify(const QString &address) const;
    const QList<QByteArray> &Patterns(int carrierClass) const { return m_patterns.at(carrierClass); }

private:
    std::array<QList<QByteArray>, 4> m_patterns;
};

int CarrierOf(const QString &address);

// The largest JPEG, in bytes, for the entry's address, size preset and quality level; 0 means no limit.
int ByteBudget(const TMailAddress &entry);
