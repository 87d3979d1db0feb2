// orb -- the player: reads Data.qel from the working directory, writes Orb.log there, exits 0.

#include "Application.h"
#include "platform/win/QuitRequests.h"

int main()
{
    orb::win::catchQuitSignals();
    orb::Application application(orb::Host::player());
    if (application.run())
        application.messageLoop();
    application.shutdown();
    return 0;
}
