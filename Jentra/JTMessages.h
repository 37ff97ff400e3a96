// The engine's message numbers (the msg argument of JTUnknown::Message).
// Receivers ignore numbers they do not know and answer 0. Games number
// their own messages from JTMSG_USER up.
#pragma once

enum JTMessageNumber : unsigned {
    JTMSG_BUTTONDOWN = 1,   // cursor: button went down over the entity; data: 0 left, 1 right
    JTMSG_DOUBLECLICK = 2,  // cursor: second press within 500 ms; data: button
    JTMSG_BUTTONUP = 3,     // cursor: button released over the entity; data: button
    JTMSG_CURSOROVER = 4,   // cursor: every frame to the entity under it
    JTMSG_CURSORENTER = 5,  // cursor: moved onto the entity
    JTMSG_CURSORLEAVE = 6,  // cursor: left the entity
    JTMSG_CHAR = 7,         // keyboard: a typed character to the focus holder; data: the character
    JTMSG_SETTEXT = 11,     // set the displayed text; data: const char*
    JTMSG_ADDED = 12,       // scene: the entity was added; data: JTScene*
    JTMSG_REMOVED = 13,     // scene: the entity is being deleted; data: JTScene*
    JTMSG_CREATED = 14,     // prototype database: the entity was built from its prototype
    JTMSG_SETNOTIFY = 18,   // owner to control: where to notify; data: JTID*
    JTMSG_NOTIFY = 19,      // control to its notify target: it was used; list: chosen index
    JTMSG_SLOTDROPPED = 20, // list control: to each slot entity it drops
    JTMSG_HILIGHTON = 21,   // cursor: the entity is hilighted
    JTMSG_HILIGHTOFF = 22,  // cursor: the hilight ends
    JTMSG_SELECT = 23,      // list control: an entry is selected
    JTMSG_DESELECT = 24,    // list control: an entry is deselected
    JTMSG_SETFOCUS = 25,    // keyboard: the entity gets the focus
    JTMSG_KILLFOCUS = 26,   // keyboard: the previous holder loses the focus
    JTMSG_NETRECEIVE = 31,  // network: data arrived; data: the received bytes
    JTMSG_NETPLAYERLEFT = 32,  // network: a player left
    JTMSG_NETSESSIONLOST = 33, // network: the session ended
    JTMSG_USER = 1001,         // first number free for a game's own messages
};
