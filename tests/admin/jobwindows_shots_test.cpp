// Pictures of the lock and audit windows in both languages, for looking at their layout: written only when
// DREMMOX_SHOTS_DIR names a directory (skipped otherwise).
#include "admin/LOCK.h"
#include "admin/audit.h"
#include "jobwindows_fixture.h"
#include "shell/windowregistry.h"

#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

using jobwindows::DialogAutomat;
using jobwindows::waitFor;

class JobWindowShots : public jobwindows::JobWindowTest, public ::testing::WithParamInterface<const char*> {
protected:
    void save(QWidget* w, const QString& name)
    {
        QApplication::processEvents();
        const QString file = QDir(dir).filePath(name + QStringLiteral(".png"));
        ASSERT_TRUE(w->grab().save(file)) << file.toStdString();
    }
    QString dir;
};

TEST_P(JobWindowShots, LockAndAuditWindows)
{
    dir = qEnvironmentVariable("DREMMOX_SHOTS_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "DREMMOX_SHOTS_DIR is not set";
    QDir().mkpath(dir);
    const QString language = QString::fromLatin1(GetParam());
    for (const char* release : { "12.1", "19" }) {
        start(release, language);
        // As an administrator sets it, so the lock log shows its times of day.
        main->changeDateFormat(*main->osOracle, QStringLiteral("DD.MM.YYYY HH24:MI:SS"));
        const QString tag = language + QLatin1Char('_')
            + (QLatin1String(release) == QLatin1String("19") ? QStringLiteral("ora19") : QStringLiteral("classic"));
        DialogAutomat dialogs;
        (*shell::windowOpener(QStringLiteral("mmLock")))(*main);
        TfmLock* lock = QLatin1String(release) == QLatin1String("19") ? qobject_cast<TfmLock*>(main->FfmLockOra19)
                                                                      : admin::fmLock.data();
        ASSERT_TRUE(lock);
        dialogs.confirm(QStringLiteral("Novak Janez"));
        lock->btStart->click();
        ASSERT_TRUE(waitFor(
            [&] {
                lock->btJobRefresh->click();
                return !lock->dbeJob->text().isEmpty();
            },
            20000));
        lock->FormActivate();
        lock->btListClick();
        save(lock, QStringLiteral("lock_list_") + tag);
        lock->pcList->setCurrentWidget(lock->tabHist);
        lock->edLDate->setText(QDate::currentDate().addDays(-1).toString(QStringLiteral("dd.MM.yyyy")));
        lock->edTimeFrom->setText(QStringLiteral("00:00:00"));
        lock->btLRefreshClick();
        save(lock, QStringLiteral("lock_history_") + tag);
        lock->pcList->setCurrentWidget(lock->tabParam);
        save(lock, QStringLiteral("lock_params_") + tag);
        lock->edOdUra->setText(QStringLiteral("0"));
        lock->edOdMin->setText(QStringLiteral("0"));
        lock->edDoUra->setText(QStringLiteral("23"));
        lock->edDoMin->setText(QStringLiteral("59"));
        lock->edDatum->setText(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
        lock->btDetStatClick();
        save(lock, QStringLiteral("lock_results_") + tag);

        (*shell::windowOpener(QStringLiteral("mmAudit")))(*main);
        TfmAudit* audit = QLatin1String(release) == QLatin1String("19") ? qobject_cast<TfmAudit*>(main->FfmAuditOra19)
                                                                        : admin::fmAudit.data();
        ASSERT_TRUE(audit);
        audit->FormActivate();
        save(audit, QStringLiteral("audit_") + tag);
        TearDown();
        QDir(path(QStringLiteral("DEMO"))).removeRecursively();
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, JobWindowShots, ::testing::Values("ANG", "SLO"));

} // namespace
