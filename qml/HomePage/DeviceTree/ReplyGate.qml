import QtQml

// Lets server replies through only while they still matter. latest(callback) wraps the
// callback of a new request: a reply to an older request of the same gate, or one that
// arrives after the gate's owner has gone, is dropped. alive(callback) drops a reply
// only when the owner has gone, so that every request answers for itself.
QtObject {
    id: gate

    // The tickets of requests not yet answered; closed ones drop their reply. A failed
    // request never answers: its ticket stays until the owner goes.
    readonly property var tickets: []

    function open(latestOnly) {
        if (latestOnly) {
            for (const older of tickets.filter(ticket => ticket.latestOnly))
                close(older);
        }
        const ticket = { open: true, latestOnly: latestOnly };
        tickets.push(ticket);
        return ticket;
    }

    function close(ticket) {
        ticket.open = false;
        const at = tickets.indexOf(ticket);
        if (at >= 0)
            tickets.splice(at, 1);
    }

    // The ticket is looked at first: the gate itself may be gone.
    function wrap(ticket, callback) {
        return function() {
            if (!ticket.open)
                return;
            gate.close(ticket);
            callback.apply(null, arguments);
        };
    }

    function latest(callback) {
        return wrap(open(true), callback);
    }

    function alive(callback) {
        return wrap(open(false), callback);
    }

    Component.onDestruction: {
        for (const ticket of tickets)
            ticket.open = false;
    }
}
