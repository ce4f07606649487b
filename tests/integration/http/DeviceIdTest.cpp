#include "platform/desktop/LinuxDeviceIdentity.h"
#include "services/remote/QuilloAPIService.h"
#include "support/FakeDeviceIdentity.h"
#include "support/InMemoryDefaultsStore.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool isUpperCaseUuid(const QString& text) {
    static const QRegularExpression shape(
        "^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
    return shape.match(text).hasMatch();
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
}

}  // namespace

TEST(DeviceId, FirstConstructionStoresTheMachineIdentifierAndLaterOnesReuseIt) {
    InMemoryDefaultsStore store;
    FakeDeviceIdentity identity(QStringLiteral("11111111-2222-4333-8444-555555555555"));
    const QuilloAPIService first("https://backend.test", "s", store, identity);
    EXPECT_EQ(first.deviceId(), QStringLiteral("11111111-2222-4333-8444-555555555555"));
    EXPECT_EQ(store.string("quillo_device_id"), first.deviceId()) << "written at once";

    identity.setIdentifier(QStringLiteral("AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE"));
    const QuilloAPIService later("https://backend.test", "s", store, identity);
    EXPECT_EQ(later.deviceId(), first.deviceId()) << "the stored value wins over the machine's";
    EXPECT_EQ(store.keys(), QStringList{"quillo_device_id"});
}

TEST(DeviceId, UnknownMachineGetsARandomIdentifierThatIsKept) {
    InMemoryDefaultsStore store;
    const FakeDeviceIdentity unknown;
    const QString generated = QuilloAPIService::storedDeviceId(store, unknown);
    EXPECT_TRUE(isUpperCaseUuid(generated)) << generated.toStdString();
    EXPECT_EQ(QuilloAPIService::storedDeviceId(store, unknown), generated);

    // A value of another type under the key is no identifier: it is replaced by a new one.
    store.setInteger("quillo_device_id", 7);
    EXPECT_TRUE(isUpperCaseUuid(QuilloAPIService::storedDeviceId(store, unknown)));
}

TEST(DeviceId, LinuxIdentityIsAKeyedUuidThatHidesTheMachineId) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray machineId = "0123456789abcdef0123456789abcdef";
    const LinuxDeviceIdentity identity(writeFile(dir, "machine-id", machineId + "\n"));
    const std::optional<QString> identifier = identity.machineIdentifier();
    ASSERT_TRUE(identifier);
    EXPECT_TRUE(isUpperCaseUuid(*identifier)) << identifier->toStdString();
    const QString hexOnly = identifier->toLower().remove('-');
    EXPECT_NE(hexOnly, QString::fromLatin1(machineId));
    EXPECT_FALSE(hexOnly.contains(QString::fromLatin1(machineId.left(8))));
    EXPECT_EQ(identity.machineIdentifier(), identifier) << "stable";

    const LinuxDeviceIdentity other(writeFile(dir, "other", "fedcba9876543210fedcba9876543210"));
    EXPECT_NE(other.machineIdentifier(), identifier);
    EXPECT_EQ(LinuxDeviceIdentity(dir.filePath("missing")).machineIdentifier(), std::nullopt);
    EXPECT_EQ(
        LinuxDeviceIdentity(writeFile(dir, "garbage", "not a machine id")).machineIdentifier(),
        std::nullopt);
}
