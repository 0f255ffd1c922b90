// SPDX-License-Identifier: GPL-3.0-or-later
// Runs before any script of a page, in the page and in every frame that loads a
// document. WebRTC opens connections of its own (STUN over UDP, TURN over TCP)
// that the view's request guard never sees, so no script gets a peer connection.
//
// A frame that a script makes starts with an empty document that this script
// never reaches, and the page could take a peer connection from it. So each way
// to a frame's window guards every frame first: the frame elements' getters, the
// calls and setters that insert nodes, and the events and callbacks that run
// while a node is inserted; the parser's frames are guarded before the page's
// next script runs. The built-ins used are taken before any page script runs,
// so a page cannot turn them against the guard.
(function () {
    'use strict';
    var blockedNames = ['RTCPeerConnection', 'webkitRTCPeerConnection'];
    var defineProperty = Object.defineProperty;
    var describe = Object.getOwnPropertyDescriptor;
    var call = Reflect.apply;
    var root = window.top; // unforgeable: a page cannot put another object in its place
    // window.length itself can be replaced by a page; its getter cannot.
    var framesOf = (describe(window, 'length') || describe(Window.prototype, 'length')).get;

    function isGuarded(w) {
        var held = describe(w, blockedNames[0]);
        return held !== undefined && !held.configurable && held.value === undefined;
    }

    function guardWindow(w) {
        if (isGuarded(w))
            return;
        for (var i = 0; i < blockedNames.length; ++i)
            defineProperty(w, blockedNames[i], {value: undefined, writable: false, configurable: false});
        watchRealm(w);
    }

    function guardTree(w) {
        try {
            guardWindow(w);
        } catch (e) {
            // A window of another origin: a document it loads gets this script itself.
        }
        var count = 0;
        try {
            count = call(framesOf, w, []);
        } catch (e) {
        }
        for (var i = 0; i < count; ++i) {
            try {
                guardTree(w[i]);
            } catch (e) {
            }
        }
    }

    function guardAll() {
        guardTree(root);
    }

    function guardAfterCalling(prototype, name) {
        var held = prototype && describe(prototype, name);
        if (!held || typeof held.value !== 'function')
            return;
        var original = held.value;
        held.value = function () {
            try {
                return call(original, this, arguments);
            } finally {
                guardAll();
            }
        };
        defineProperty(prototype, name, held);
    }

    function guardAfterSetting(prototype, name) {
        var held = prototype && describe(prototype, name);
        if (!held || !held.set)
            return;
        var original = held.set;
        held.set = function (value) {
            try {
                call(original, this, [value]);
            } finally {
                guardAll();
            }
        };
        defineProperty(prototype, name, held);
    }

    function guardBeforeGetting(prototype, name) {
        var held = prototype && describe(prototype, name);
        if (!held)
            return;
        if (held.get) {
            var getter = held.get;
            held.get = function () {
                guardAll();
                return call(getter, this, []);
            };
        } else if (typeof held.value === 'function') {
            var method = held.value;
            held.value = function () {
                guardAll();
                return call(method, this, arguments);
            };
        }
        defineProperty(prototype, name, held);
    }

    var insertingCalls = [
        ['Node', 'appendChild'], ['Node', 'insertBefore'], ['Node', 'replaceChild'],
        ['Element', 'append'], ['Element', 'prepend'], ['Element', 'after'], ['Element', 'before'],
        ['Element', 'replaceWith'], ['Element', 'replaceChildren'], ['Element', 'insertAdjacentElement'],
        ['Element', 'insertAdjacentHTML'], ['Element', 'setHTML'],
        ['CharacterData', 'after'], ['CharacterData', 'before'], ['CharacterData', 'replaceWith'],
        ['DocumentType', 'after'], ['DocumentType', 'before'], ['DocumentType', 'replaceWith'],
        ['Document', 'append'], ['Document', 'prepend'], ['Document', 'replaceChildren'], ['Document', 'write'],
        ['Document', 'writeln'], ['Document', 'execCommand'],
        ['DocumentFragment', 'append'], ['DocumentFragment', 'prepend'], ['DocumentFragment', 'replaceChildren'],
        ['Range', 'insertNode'], ['Range', 'surroundContents'],
    ];
    var insertingSetters = [
        ['Element', 'innerHTML'], ['Element', 'outerHTML'], ['ShadowRoot', 'innerHTML'], ['HTMLIFrameElement', 'src'],
        ['HTMLIFrameElement', 'srcdoc'], ['HTMLFrameElement', 'src'], ['HTMLObjectElement', 'data'],
    ];
    var frameGetters = [
        ['HTMLIFrameElement', 'contentWindow'], ['HTMLIFrameElement', 'contentDocument'],
        ['HTMLIFrameElement', 'getSVGDocument'], ['HTMLFrameElement', 'contentWindow'],
        ['HTMLFrameElement', 'contentDocument'], ['HTMLObjectElement', 'contentWindow'],
        ['HTMLObjectElement', 'contentDocument'], ['HTMLObjectElement', 'getSVGDocument'],
        ['HTMLEmbedElement', 'getSVGDocument'],
    ];
    var elementCallbacks = ['connectedCallback', 'disconnectedCallback', 'adoptedCallback', 'attributeChangedCallback'];

    function prototypeOf(w, type) {
        var constructor = w[type];
        return constructor && constructor.prototype;
    }

    // Custom element callbacks, and the constructor of an element upgraded as it
    // is inserted, run inside the calls that insert nodes.
    function guardCustomElements(w) {
        var registry = prototypeOf(w, 'CustomElementRegistry');
        var define = registry && registry.define;
        if (!define)
            return;
        defineProperty(registry, 'define', {
            configurable: true,
            writable: true,
            value: function (name, elementClass, options) {
                var prototype = elementClass && elementClass.prototype;
                for (var i = 0; i < elementCallbacks.length; ++i) {
                    var original = prototype && prototype[elementCallbacks[i]];
                    if (typeof original === 'function') {
                        prototype[elementCallbacks[i]] = (function (callback) {
                            return function () {
                                guardAll();
                                return call(callback, this, arguments);
                            };
                        })(original);
                    }
                }
                var guardedClass = typeof elementClass === 'function' ? class extends elementClass {
                    constructor() {
                        guardAll();
                        super();
                    }
                } : elementClass;
                return call(define, this, [name, guardedClass, options]);
            },
        });
    }

    function watchRealm(w) {
        var i;
        for (i = 0; i < insertingCalls.length; ++i)
            guardAfterCalling(prototypeOf(w, insertingCalls[i][0]), insertingCalls[i][1]);
        for (i = 0; i < insertingSetters.length; ++i)
            guardAfterSetting(prototypeOf(w, insertingSetters[i][0]), insertingSetters[i][1]);
        for (i = 0; i < frameGetters.length; ++i)
            guardBeforeGetting(prototypeOf(w, frameGetters[i][0]), frameGetters[i][1]);
        guardCustomElements(w);

        // A new frame's load event and the old mutation events come while a node is
        // inserted; listeners at the document's capture come before the page's own.
        var document = w.document;
        var types = ['load', 'DOMNodeInserted', 'DOMNodeInsertedIntoDocument', 'DOMSubtreeModified'];
        for (i = 0; i < types.length; ++i)
            document.addEventListener(types[i], guardAll, true);
        // The parser's nodes: their records come before the parser runs the page's next script.
        new w.MutationObserver(guardAll).observe(document, {childList: true, subtree: true});
    }

    guardAll();
})();
